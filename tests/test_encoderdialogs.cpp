#include <QTest>

class TestEncoderdialogs : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestEncoderdialogs)
#include "test_encoderdialogs.moc"
