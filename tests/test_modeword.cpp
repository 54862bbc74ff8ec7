// Mode word fields and the flag convention.

#include "FakeEncoder.h"
#include "hardware/Flags.h"
#include "hardware/ModeWord.h"
#include "hardware/Registers.h"

#include <QTest>

using hw::ModeField;

Q_DECLARE_METATYPE(hw::ModeField)

class TestModeWord : public QObject
{
    Q_OBJECT

private slots:
    void init() { fake::Reset(); }

    void setField_data()
    {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<ModeField>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<quint32>("expected");

        const quint32 def = hw::kDefaultModeWord;
        QTest::newRow("offset 15") << def << hw::ssi::Offset << 15 << 0x18020F00u;
        QTest::newRow("sync disable") << def << hw::inc::SyncDisable << 1 << 0x18020900u;
        QTest::newRow("gray") << def << hw::ssi::Code << 1 << 0x18024800u;
        QTest::newRow("rev") << def << hw::ssi::Direction << 1 << 0x18028800u;
        QTest::newRow("parity even") << def << hw::ssi::ExtraBit << 2 << 0x18022800u;
        QTest::newRow("length 32") << def << hw::ssi::Length << 32 << 0x20020800u;
        QTest::newRow("frequency 6 kept") << def << hw::ssi::Frequency << 6 << 0x18020806u;
        QTest::newRow("-1 fills frequency") << def << hw::ssi::Frequency << -1 << 0x18020807u;
        QTest::newRow("-1 fills length") << 0u << hw::ssi::Length << -1 << 0x3F000000u;
        QTest::newRow("-1 fills update") << def << hw::ssi::Update << -1 << 0x18030800u;
        QTest::newRow("value beyond width cut") << def << hw::ssi::Offset << 0x1F << 0x18020F00u;
        QTest::newRow("length 64 wraps to 0") << def << hw::ssi::Length << 64 << 0x00020800u;
        QTest::newRow("unowned bits kept") << 0xC0FC0008u << hw::ssi::Offset << 3 << 0xC0FC0308u;
        QTest::newRow("bits 18-23 kept") << (def | 0x00FC0000u) << hw::ssi::Update << 0
                                         << (0x18000800u | 0x00FC0000u);
        QTest::newRow("invert z") << def << hw::inc::InvertZ << 1 << 0x18020880u;
        QTest::newRow("invert m") << def << hw::inc::InvertM << 1 << 0x18020840u;
        QTest::newRow("clear bit 31 field untouched") << 0xFFFFFFFFu << hw::inc::InvertA << 0 << 0xFFFFFFEFu;
    }

    void setField()
    {
        QFETCH(quint32, word);
        QFETCH(ModeField, field);
        QFETCH(int, value);
        QFETCH(quint32, expected);
        QCOMPARE(hw::SetModeField(word, field, value), expected);
        // Only the field's own bits may differ.
        QCOMPARE((hw::SetModeField(word, field, value) ^ word) & ~field.Mask(), 0u);
    }

    void defaultWordReadsAsDocumented()
    {
        const quint32 def = hw::kDefaultModeWord;
        QCOMPARE(def, 402786304u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Frequency), 0u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Offset), 8u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::ExtraBit), 0u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Code), 0u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Direction), 0u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Update), 2u);
        QCOMPARE(hw::GetModeField(def, hw::ssi::Length), 24u);
        for (ModeField f : {hw::inc::InvertA, hw::inc::InvertB, hw::inc::InvertM, hw::inc::InvertZ,
                            hw::inc::SyncDisable})
            QCOMPARE(hw::GetModeField(def, f), 0u);
        // Sync Disable is the lowest bit of the SSI offset.
        QCOMPARE(hw::GetModeField(0x18020900u, hw::inc::SyncDisable), 1u);
        QCOMPARE(hw::GetModeField(0x18020900u, hw::ssi::Offset), 9u);
    }

    void flags_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("set");
        QTest::addColumn<int>("toggleWrites");
        QTest::newRow("1") << 1 << true << 0;
        QTest::newRow("0") << 0 << false << 1;
        QTest::newRow("2") << 2 << false << 1;
        QTest::newRow("-1") << -1 << false << 1;
        QTest::newRow("INT_MIN") << std::numeric_limits<int>::min() << false << 1;
    }

    void flags()
    {
        QFETCH(int, stored);
        QFETCH(bool, set);
        QFETCH(int, toggleWrites);
        fake::SetRegister(REG_MRK, 3, stored);
        const bool cached = hw::ReadFlag(REG_MRK, 3);
        QCOMPARE(cached, set);
        fake::ClearCalls();
        const bool now = hw::ToggleFlag(REG_MRK, 3, cached);
        QCOMPARE(fake::Calls().size(), size_t(2));
        QCOMPARE(fake::Calls()[0], fake::Write(REG_MRK, 3, toggleWrites));
        QCOMPARE(fake::Calls()[1], fake::Read(REG_MRK, 3, toggleWrites));
        QCOMPARE(now, toggleWrites == 1);
    }

    void toggleCachesWhatTheCardReports()
    {
        // A card that refuses the write: the flag shows what it reads back, not what was written.
        fake::SetReadHook([](int32_t, int16_t) { return 2; });
        QCOMPARE(hw::ToggleFlag(REG_FS, 0, false), false);
        QCOMPARE(fake::Calls().front(), fake::Write(REG_FS, 0, 1));
    }
};

QTEST_GUILESS_MAIN(TestModeWord)
#include "test_modeword.moc"
