#include <QTest>

class TestDataexchange : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestDataexchange)
#include "test_dataexchange.moc"
