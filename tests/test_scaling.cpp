// Decimals and value texts, under a comma-decimal locale.

#include "TestSupport.h"
#include "bars/Scaling.h"

#include <QTest>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

class TestScaling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Qt has already set the C library's locale from the environment; force a comma-decimal one.
        if (!testsupport::SetCommaDecimalLocale())
            QFAIL("no German locale: the README's test command generates de_DE.UTF-8");
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 0.5);
        QCOMPARE(QString::fromLatin1(buffer), QStringLiteral("0,5"));
    }

    void decimals_data()
    {
        QTest::addColumn<double>("resolution");
        QTest::addColumn<int>("decimals");
        QTest::newRow("1") << 1.0 << 0;
        QTest::newRow("0.5") << 0.5 << 1;
        QTest::newRow("0.1") << 0.1 << 1;
        QTest::newRow("0.01") << 0.01 << 2;
        QTest::newRow("0.005") << 0.005 << 3;
        QTest::newRow("0.001") << 0.001 << 3;
        QTest::newRow("0.0005") << 1.0 / 2000.0 << 4;
        QTest::newRow("2") << 2.0 << 0;
        QTest::newRow("10") << 10.0 << -1;
        QTest::newRow("100") << 100.0 << -2;
        QTest::newRow("-0.01 signed") << -0.01 << 2;
        for (int p = -22; p <= 22; ++p) // powers of ten: their own number, capped
            QTest::addRow("1e%d", p) << std::pow(10.0, p) << std::min(-p, 15);
        QTest::newRow("0.3/3, a hair below 0.1") << 0.3 / 3.0 << 1;
        QTest::newRow("1/3") << 1.0 / 3.0 << 1;
        QTest::newRow("1e-300 capped") << 1e-300 << 15;
        QTest::newRow("denormal capped") << std::numeric_limits<double>::denorm_min() << 15;
        QTest::newRow("1e300") << 1e300 << -300;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << 0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }

    void decimals()
    {
        QFETCH(double, resolution);
        QFETCH(int, decimals);
        QCOMPARE(scaling::Decimals(resolution), decimals);
    }

    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("4 decimals") << 1234.0 / 2000.0 << 4 << "    0.6170";
        QTest::newRow("negative precision") << 60.0 << -1 << " 60.000000";
        QTest::newRow("no decimals") << 12345.0 << 0 << "     12345";
        QTest::newRow("rounds half even like printf") << 0.125 << 2 << "      0.12";
        QTest::newRow("wider than ten") << -2147483648.0 << 3 << "-2147483648.000";
        QTest::newRow("15 decimals") << 1.0 / 3.0 << 15 << "0.333333333333333";
        QTest::newRow("negative zero") << -0.0 << 1 << "      -0.0";
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << 2 << "       inf";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << 0 << "      -inf";
        QTest::newRow("huge") << 1e20 << 0 << "100000000000000000000";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 3 << "       nan";
        QTest::newRow("nan with the sign set")
            << -std::numeric_limits<double>::quiet_NaN() << 3 << "       nan";
    }

    void format()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(scaling::FormatValue(value, decimals), text);
    }

    void formatMatchesCLocalePrintf()
    {
        // The same digits printf gives in the "C" locale, for a spread of values and precisions.
        std::setlocale(LC_NUMERIC, "C");
        std::vector<double> values = {0.0,      1.5,          -2.25,  0.6170, 123456.789, 1e-7,
                                      9.999999, 2147483647.0, 0.5,    2.5,    -0.125,     0.375,
                                      1e-300,   5e-324,       0x1p69, 0x1p70, 1e22,       -1e300};
        // Counts times resolutions, as the bars show them: every rounding the display can meet.
        std::mt19937 random(20261208);
        for (int i = 0; i < 300; ++i) {
            const int count = int(random()) >> int(random() % 31);
            const double resolution = double(1 + random() % 100) / double(1 + random() % 100000);
            values.push_back(count * resolution);
        }
        for (const double v : values) {
            for (int d = -3; d <= 15; ++d) {
                char expected[512];
                std::snprintf(expected, sizeof expected, "%10.*f", d, v);
                QCOMPARE(scaling::FormatValue(v, d), QString::fromLatin1(expected));
            }
        }
        testsupport::SetCommaDecimalLocale();
    }

    void fixedSix()
    {
        QCOMPARE(scaling::FormatFixed6(1.0), QStringLiteral("1.000000"));
        QCOMPARE(scaling::FormatFixed6(0.0001), QStringLiteral("0.000100"));
        QCOMPARE(scaling::FormatFixed6(0.0000004), QStringLiteral("0.000000"));
        QCOMPARE(scaling::FormatFixed6(-2000.5), QStringLiteral("-2000.500000"));
    }
};

QTEST_GUILESS_MAIN(TestScaling)
#include "test_scaling.moc"
