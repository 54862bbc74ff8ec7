#include <QTest>

class TestProfile : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestProfile)
#include "test_profile.moc"
