#include <QTest>

class TestStatusdialogs : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestStatusdialogs)
#include "test_statusdialogs.moc"
