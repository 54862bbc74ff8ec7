// The readout against hostile cards: every register it reads answers with extreme or random values,
// different at every read; channel and board counts, encoder types, mode and status words are random.
// Each card goes through start-up, many ticks, every dialog opened and operated with hostile input, and
// shutdown. Each run of cards comes from a seed: by default a fixed list of seeds, the same cards every
// time; READOUT_HOSTILE_SEED=<seed> replays one run, READOUT_HOSTILE_SEED=random makes one from a new seed.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "framework/Dialog.h"
#include "resources/Resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kCards = 24;
// The runs made when no seed is asked for; far enough apart that no two share a card.
constexpr std::array<uint64_t, 3> kFixedSeeds = {1000, 2000, 3000};
constexpr int kTicksPerCard = 150;
constexpr int kActionsPerDialog = 8;

constexpr std::array<int32_t, 6> kExtremes = {INT_MIN, INT_MAX, -1, 0, 1, 2};

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Every value depends only on the card's seed, the register, the index and how often that register
// was read before, so the card answers the same way however the timers fall.
class CHostileCard
{
public:
    explicit CHostileCard(uint64_t seed) : m_seed(seed) {}

    int32_t Read(int32_t reg, int16_t index)
    {
        const uint64_t n = m_reads[{reg, index}]++;
        const uint64_t h =
            Mix(m_seed ^
                Mix((uint64_t{static_cast<uint32_t>(reg)} << 16 | static_cast<uint16_t>(index)) ^ Mix(n)));
        const auto low = static_cast<uint32_t>(h);
        const uint64_t kind = (h >> 32) % 4;
        if (reg == REG_ENCODER_TYPE && kind < 2)
            return static_cast<int32_t>(low % 2);
        if (reg == REG_AXIS_COUNT || reg == REG_BOARD_COUNT) {
            // Mostly counts the panel can show, with their high bits set now and then.
            switch (kind) {
            case 0:
                return kExtremes[low % kExtremes.size()];
            case 1:
                return static_cast<int32_t>(low);
            case 2:
                return static_cast<int32_t>(low % 17) - 2;
            default:
                return static_cast<int32_t>(low % 15) | static_cast<int32_t>((h >> 40) % 3) << 16;
            }
        }
        switch (kind) {
        case 0:
        case 1:
            return kExtremes[low % kExtremes.size()];
        default:
            return static_cast<int32_t>(low);
        }
    }

private:
    uint64_t m_seed;
    std::map<std::pair<int32_t, int16_t>, uint64_t> m_reads;
};

// What the operator types, '|' between the texts.
QStringList Texts(const char* texts)
{
    return QString::fromUtf8(texts).split(QLatin1Char('|'));
}
const QStringList kNumberTexts = Texts("0|-0|1|2000|0.0005|1e-16|1e-320|5e-324|-1e308|1.7976931348623157e308|"
                                       "1e309|nan|inf|abc|| 3 |+2|0x10|1,5");
const QStringList kUnsignedTexts = Texts("0|1|8|15|16|32|33|63|-1|4294967295|4294967296|abc|| 7 |+5|1e1");
const QStringList kNameTexts = Texts("|Q|QQ|\u00e9|\U0001F600|\t");

// How many indexes the program may name with register `reg` on this card; -1 for a register it has no
// use for.
int IndexCount(int32_t reg, int nAxes, int nBoards)
{
    switch (IndexOf(reg)) {
    case RegisterIndex::Card:
        return 1;
    case RegisterIndex::Board:
        return nBoards;
    case RegisterIndex::Channel:
        return nAxes;
    case RegisterIndex::Unknown:
        break;
    }
    return -1;
}

// The first call that names a register the program does not use, an index beyond what the panel
// created, or that comes after the interface was closed; empty when there is none.
QString CallFault(int nAxes, int nBoards)
{
    bool bClosed = false;
    for (const fake::Call& call : fake::Calls()) {
        const QString what = QString::fromStdString(fake::Describe(call));
        if (bClosed)
            return QStringLiteral("after the close: ") + what;
        if (call.kind == fake::Call::Close)
            bClosed = true;
        if (call.kind != fake::Call::Read && call.kind != fake::Call::Write)
            continue;
        if (call.index < 0 || call.index >= IndexCount(call.reg, nAxes, nBoards))
            return what;
    }
    return bClosed ? QString() : QStringLiteral("the interface was never closed");
}

// The first created axis bar whose display or decimals are out of bounds; empty when there is none.
QString BarFault(CReadoutPanel& panel)
{
    for (int i = 0; i < panel.AxisCount(); ++i) {
        CAxisBar& bar = panel.AxisBar(i);
        // Between 15 and what the largest finite resolution gives.
        if (bar.m_nDecimals > 15 || bar.m_nDecimals < -308)
            return QStringLiteral("axis %1 has %2 decimals").arg(i).arg(bar.m_nDecimals);
        for (int id = res::IDC_INCREMENTAL; id <= res::IDC_PROBE; ++id) {
            const QString text = bar.GetDlgItem(id)->property("text").toString();
            if (text.size() < 10)
                return QStringLiteral("axis %1 control %2 shows \"%3\"").arg(i).arg(id).arg(text);
        }
    }
    return QString();
}

template <typename T> T* Item(fw::CDialog* dlg, int id)
{
    return qobject_cast<T*>(dlg->GetDlgItem(id));
}

// Works whatever modal dialog is up with random, hostile input, ticking the readout in between, and
// then closes it one way or another. Dialogs it opens from a dialog it works the same way.
class COperator
{
public:
    COperator(uint64_t seed, CReadoutPanel& panel) : m_rng(seed), m_panel(panel) {}

    // Works the next modal dialog once its loop runs.
    void Expect()
    {
        QTimer::singleShot(0, [this] { Work(); });
    }

    int Pick(int n) { return static_cast<int>(m_rng() % static_cast<uint32_t>(n)); }

    void Tick()
    {
        m_panel.RefreshAll();
        Check(BarFault(m_panel));
    }

    void Check(const QString& fault)
    {
        if (!fault.isEmpty() && !m_faults.contains(fault))
            m_faults << fault;
    }

    const QStringList& Faults() const { return m_faults; }
    const std::map<int, int>& Worked() const { return m_worked; }

private:
    void Work()
    {
        auto* dlg = qobject_cast<fw::CDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            m_faults << QStringLiteral("a dialog did not open");
            return;
        }
        ++m_worked[dlg->TemplateId()];
        for (int step = 0; step < kActionsPerDialog; ++step) {
            if (!dlg->isVisible())
                return;
            Act(dlg, step);
        }
        Close(dlg);
    }

    QString Number()
    {
        if (Pick(3) > 0)
            return kNumberTexts[Pick(static_cast<int>(kNumberTexts.size()))];
        // Any 64-bit pattern as a double, denormals, infinities and NaNs included.
        const uint64_t bits = (uint64_t{m_rng()} << 32) | m_rng();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return QString::number(value, 'g', 17);
    }

    void Act(fw::CDialog* dlg, int step)
    {
        switch (dlg->TemplateId()) {
        case res::IDD_AXIS_PROPERTIES:
            // Half the time straight on to the encoder's dialog.
            switch (step == 0 && Pick(2) ? 3 : Pick(6)) {
            case 0:
                Item<QLineEdit>(dlg, res::IDC_AXIS_NAME)->setText(kNameTexts[Pick(int(kNameTexts.size()))]);
                break;
            case 1:
                Item<QLineEdit>(dlg, res::IDC_PITCH)->setText(Number());
                break;
            case 2:
                Item<QLineEdit>(dlg, res::IDC_COUNT)->setText(Number());
                break;
            case 3:
                for (const int id : {res::IDC_SSI_MODE, res::IDC_INC_MODE}) {
                    if (!dlg->GetDlgItem(id)->isHidden()) {
                        Expect();
                        Item<QAbstractButton>(dlg, id)->click();
                    }
                }
                break;
            case 4:
                Item<QAbstractButton>(dlg, fw::IDOK)->click();
                break;
            default:
                Tick();
            }
            break;
        case res::IDD_SSI_PROPERTIES:
            switch (Pick(4)) {
            case 0: {
                const int id = std::array{res::IDC_FREQUENCY, res::IDC_UPDATE, res::IDC_EXTRA_BIT,
                                          res::IDC_CODE, res::IDC_DIRECTION}[static_cast<size_t>(Pick(5))];
                QTest::keyClick(dlg->GetDlgItem(id), Pick(2) ? Qt::Key_Down : Qt::Key_Up);
                break;
            }
            case 1:
            case 2: {
                auto* edit = Item<QLineEdit>(dlg, Pick(2) ? res::IDC_LENGTH : res::IDC_OFFSET);
                edit->setFocus(Qt::MouseFocusReason);
                edit->setText(kUnsignedTexts[Pick(static_cast<int>(kUnsignedTexts.size()))]);
                // Leaving the edit merges it; Enter takes OK with the focus still in it.
                QTest::keyClick(edit, Pick(4) ? Qt::Key_Tab : Qt::Key_Return);
                break;
            }
            default:
                Tick();
            }
            break;
        case res::IDD_INC_PROPERTIES:
            if (Pick(3))
                Item<QAbstractButton>(dlg, res::IDC_INVERT_A + Pick(5))->click();
            else
                Tick();
            break;
        default: {
            // A status dialog: its lamps are ordinary boxes, and its own timer ticks now and then.
            const auto boxes = dlg->findChildren<QCheckBox*>();
            if (Pick(2))
                boxes[Pick(static_cast<int>(boxes.size()))]->click();
            else if (Pick(8) == 0)
                QTest::qWait(260);
            else
                Tick();
        }
        }
    }

    void Close(fw::CDialog* dlg)
    {
        switch (Pick(4)) {
        case 0:
            if (auto* ok = Item<QAbstractButton>(dlg, fw::IDOK))
                ok->click();
            break;
        case 1:
            if (auto* cancel = Item<QAbstractButton>(dlg, fw::IDCANCEL))
                cancel->click();
            break;
        case 2:
            QTest::keyClick(dlg, Qt::Key_Escape);
            break;
        default:
            dlg->close();
        }
        // An OK whose check failed leaves the dialog open.
        if (dlg->isVisible())
            static_cast<QDialog*>(dlg)->reject();
        if (dlg->isVisible())
            m_faults << QStringLiteral("dialog %1 would not close").arg(dlg->TemplateId());
    }

    std::mt19937 m_rng;
    CReadoutPanel& m_panel;
    std::map<int, int> m_worked; // template -> times worked
    QStringList m_faults;
};

} // namespace

class TestHostileCard : public QObject
{
    Q_OBJECT

    std::vector<uint64_t> m_seeds;
    bool m_bReplay = false;
    std::map<int, int> m_worked; // every dialog template worked, over all cards

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
        const QString asked = qEnvironmentVariable("READOUT_HOSTILE_SEED").trimmed();
        bool ok = false;
        const uint64_t replayed = asked.toULongLong(&ok);
        if (asked.isEmpty()) {
            m_seeds.assign(kFixedSeeds.begin(), kFixedSeeds.end());
        } else if (asked == QLatin1String("random")) {
            m_seeds = {(uint64_t{std::random_device{}()} << 32) | std::random_device{}()};
        } else {
            QVERIFY2(ok, "READOUT_HOSTILE_SEED is a seed (a decimal number) or \"random\"");
            m_seeds = {replayed};
            m_bReplay = true;
        }
        for (const uint64_t seed : m_seeds)
            qInfo("seed %llu (READOUT_HOSTILE_SEED=%llu replays this run)",
                  static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    }

    void hostileCard_data()
    {
        QTest::addColumn<quint64>("runSeed");
        QTest::addColumn<int>("card");
        for (const uint64_t seed : m_seeds)
            for (int card = 0; card < kCards; ++card)
                QTest::newRow(qPrintable(QStringLiteral("seed %1, card %2").arg(seed).arg(card)))
                    << quint64{seed} << card;
    }

    void hostileCard()
    {
        QFETCH(quint64, runSeed);
        QFETCH(int, card);
        const uint64_t seed = Mix(runSeed + static_cast<uint64_t>(card));
        testsupport::CIsolatedProfile profile;
        fake::Reset();
        CHostileCard hostile(seed);
        fake::SetReadHook([&hostile](int32_t reg, int16_t index) { return hostile.Read(reg, index); });
        // Now and then no interface at all.
        const int16_t open = seed % 8 == 0 ? int16_t{1} : static_cast<int16_t>(seed >> 48);
        fake::SetOpenResult(open);

        auto* app = static_cast<CReadoutApp*>(qApp);
        if (!app->InitInstance()) {
            QCOMPARE(open, int16_t{1});
            QCOMPARE(fake::Trace(), std::vector<std::string>{"open -> 1"});
            return;
        }
        CReadoutPanel& panel = app->MainFrame()->Panel();
        const int nAxes = panel.AxisCount();
        const int nBoards = panel.BoardBarsCreated();
        QVERIFY(nAxes >= 0 && nAxes <= 12);
        QVERIFY(nBoards >= (nAxes > 0 ? 1 : 0) && nBoards <= 4);

        COperator op(seed, panel);
        for (int tick = 0; tick < kTicksPerCard; ++tick) {
            op.Tick();
            // The bars' own controls, as the operator clicks them.
            if (nAxes > 0 && op.Pick(10) == 0) {
                CAxisBar& bar = panel.AxisBar(op.Pick(nAxes));
                qobject_cast<QAbstractButton*>(bar.GetDlgItem(op.Pick(2) ? res::IDC_ZERO : res::IDC_MRK))
                    ->click();
            }
            if (nBoards > 0 && op.Pick(20) == 0) {
                CBoardBar& bar = panel.BoardBar(op.Pick(nBoards));
                qobject_cast<QAbstractButton*>(bar.GetDlgItem(op.Pick(2) ? res::IDC_PRB : res::IDC_FS))
                    ->click();
            }
        }
        // Setup on an SSI channel and on another, Status on an incremental channel and on another, where
        // the card has such channels.
        const std::array<std::pair<bool, bool (*)(const CAxisBar&)>, 4> rounds = {{
            {true, [](const CAxisBar& bar) { return bar.m_nEncoderType == ENCODER_SSI; }},
            {true, [](const CAxisBar& bar) { return bar.m_nEncoderType != ENCODER_SSI; }},
            {false, [](const CAxisBar& bar) { return bar.m_nEncoderType == ENCODER_INCREMENTAL; }},
            {false, [](const CAxisBar& bar) { return bar.m_nEncoderType != ENCODER_INCREMENTAL; }},
        }};
        for (const auto& [bSetup, fits] : rounds) {
            if (nAxes == 0)
                break;
            std::vector<int> candidates;
            for (int i = 0; i < nAxes; ++i)
                if (fits(panel.AxisBar(i)))
                    candidates.push_back(i);
            CAxisBar& bar = panel.AxisBar(candidates.empty() ? op.Pick(nAxes)
                                                             : candidates[op.Pick(int(candidates.size()))]);
            op.Expect();
            if (bSetup)
                bar.OnSetup();
            else
                bar.OnStatus();
            op.Check(BarFault(panel));
            op.Tick();
        }
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());

        app->MainFrame()->close();
        QCOMPARE(app->ExitInstance(), 0);
        for (const auto& [id, count] : op.Worked())
            m_worked[id] += count;
        const QStringList faults = op.Faults();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        const QString callFault = CallFault(nAxes, nBoards);
        QVERIFY2(callFault.isEmpty(), qPrintable(callFault));
        // What a failed check showed is the only kind of message there may be.
        for (const QString& message : profile.Messages())
            QVERIFY2(message.startsWith(QLatin1String("Please enter")), qPrintable(message));
    }

    void everyDialogWasWorked()
    {
        if (m_bReplay)
            QSKIP("a replayed run may well not reach every dialog");
        for (const int id : {res::IDD_AXIS_PROPERTIES, res::IDD_SSI_PROPERTIES, res::IDD_INC_PROPERTIES,
                             res::IDD_INC_STATUS, res::IDD_SSI_STATUS})
            QVERIFY2(m_worked[id] > 0, qPrintable(QStringLiteral("dialog %1 was never opened").arg(id)));
    }
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestHostileCard test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hostilecard.moc"
