#include <QTest>

class TestAxisproperties : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestAxisproperties)
#include "test_axisproperties.moc"
