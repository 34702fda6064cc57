#include "TForm1.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QProxyStyle>
#include <QTabBar>
#include <algorithm>

#include "AppendingPane.h"
#include "ControlTips.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "DiskTransfer.h"
#include "Form1Ui.h"
#include "ModeLoop.h"
#include "PaneTee.h"
#include "PaneWriter.h"
#include "Programmer.h"
#include "ProgrammerPageView.h"
#include "SlaveFileIo.h"
#include "SpyCapture.h"
#include "SpyPageView.h"
#include "StatusRelay.h"
#include "TerminalConnection.h"
#include "TerminalDisplay.h"
#include "TerminalKeyboard.h"
#include "TerminalPageView.h"
#include "TransferChannel.h"

TForm1::TForm1(Clock& clock, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      windowClock(clock),
      windowDialogs(dialogs),
      ui(std::make_unique<Ui::Form1>()),
      statusRelay(std::make_unique<StatusRelay>([this] { return linkStatus(); })),
      deviceLink(std::make_unique<DeviceLink>(dialogs)) {
    substituteWindowFont();
    ui->setupUi(this);
    applyPaneFonts();
    fitTabBars();
    fitIndicatorRow();
    // The window opens at its smallest size, its defined client area, whatever
    // frame the window system adds around it; the layouts give any room
    // beyond it to the panes.
    resize(minimumSize());
    collectControlGroups();
    connectWindowHandlers();
    connectProgrammerHandlers();
    connectKeyboardHandlers();
    connectTerminalHandlers();
    connectTransferHandlers();
    connectSpyHandlers();
    FormCreate();
    controlTips = std::make_unique<ControlTips>(*this, [this] { return activity(); });
}

TForm1::~TForm1() = default;

namespace {

// Hex columns only line up in a fixed-pitch face. The platform's fixed font
// is not always one (some report proportional metrics), so fall back on the
// first installed family that is.
QFont fixedPitchFont(int pointSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) {
        const QStringList families = QFontDatabase::families();
        const auto fixed = std::find_if(families.begin(), families.end(), [](const QString& f) {
            return QFontDatabase::isFixedPitch(f);
        });
        if (fixed != families.end()) {
            font = QFont(*fixed);
        }
    }
    font.setPointSize(pointSize);
    return font;
}

}  // namespace

// The window's face is laid out for a narrow sans serif; where it is not
// installed the nearest narrow faces keep the captions inside their places.
void TForm1::substituteWindowFont() {
    const QString face = QStringLiteral("MS Sans Serif");
    if (QFont::substitutes(face).isEmpty()) {
        QFont::insertSubstitutions(face, {QStringLiteral("Liberation Sans"),
                                          QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
    }
}

namespace {

// The window definition leaves a page control's tab bar little height: the
// tallest control on a mode page, Panel3, ends 24 pixels above the bottom of
// the page control, and the page's frame takes some of those. The style's own
// tabs are taller.
constexpr int TabHeight = 21;
// The room beside a tab's caption. The Terminal Mode side panel leaves its
// four tabs 207 pixels in all, so theirs is tight.
constexpr int PageTabCaptionSpace = 12;
constexpr int SidePanelTabCaptionSpace = 6;
// The side panel's captions shrink no further than this to fit.
constexpr qreal SmallestCaptionPointSize = 6.0;

class CompactTabStyle : public QProxyStyle {
  public:
    CompactTabStyle(int captionSpace, QObject* owner) : captionSpace(captionSpace) {
        setParent(owner);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) {
            return captionSpace;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize hint = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab) {
            hint.setHeight(TabHeight);
        }
        return hint;
    }

  private:
    int captionSpace;
};

// Sets the captions in the narrower cut of their face, and in smaller sizes
// of it until all tabs share the width.
void fitCaptionsToWidth(QTabBar* bar, int width) {
    QFont caption = bar->font();
    caption.setStretch(QFont::SemiCondensed);
    bar->setFont(caption);
    while (bar->sizeHint().width() > width && caption.pointSizeF() > SmallestCaptionPointSize) {
        caption.setPointSizeF(caption.pointSizeF() - 0.5);
        bar->setFont(caption);
    }
}

}  // namespace

// In the window's face the side panel's four captions need more than its
// width; a bar that scrolled would hide a tab and cut off another's caption.
void TForm1::fitTabBars() {
    ui->PageControl1->tabBar()->setStyle(new CompactTabStyle(PageTabCaptionSpace, this));
    QTabBar* sidePanelTabs = ui->PageControl2->tabBar();
    sidePanelTabs->setStyle(new CompactTabStyle(SidePanelTabCaptionSpace, this));
    // The side panel keeps its width at every window size.
    fitCaptionsToWidth(sidePanelTabs, ui->Panel3->maximumWidth() - 2 * ui->Panel3->frameWidth());
}

// The indicator row is laid out for the window's narrow face too: its
// captions, and the longest reading of each indicator, take the narrower cut
// of the face, and smaller sizes of it until every one fits its place.
void TForm1::fitIndicatorRow() {
    Ui::Form1& f = *ui;
    const std::pair<QLabel*, QString> longest[] = {{f.Label6, f.Label6->text()},
                                                   {f.Label7, QStringLiteral("Command")},
                                                   {f.Label8, f.Label8->text()},
                                                   {f.Label9, QStringLiteral("Suspend")},
                                                   {f.Label10, f.Label10->text()},
                                                   {f.Label11, QStringLiteral("Disabled")},
                                                   {f.Label12, QStringLiteral("Not AVAIL")}};
    QFont row = f.Label6->font();
    row.setStretch(QFont::SemiCondensed);
    const auto fits = [&] {
        const QFontMetrics metrics(row);
        return std::all_of(std::begin(longest), std::end(longest), [&](const auto& entry) {
            // Each label keeps its width at every window size.
            return metrics.horizontalAdvance(entry.second) <= entry.first->maximumWidth();
        });
    };
    while (!fits() && row.pointSizeF() > SmallestCaptionPointSize) {
        row.setPointSizeF(row.pointSizeF() - 0.5);
    }
    for (const auto& entry : longest) {
        entry.first->setFont(row);
    }
}

void TForm1::applyPaneFonts() {
    const QFont fixed = fixedPitchFont(font().pointSize());
    for (LinePane* pane : {ui->Memo2, ui->Memo3, ui->RichEdit1, ui->RichEdit2}) {
        pane->setFont(fixed);
    }
}

void TForm1::collectControlGroups() {
    Ui::Form1& f = *ui;
    programmerControls = {f.Button1, f.Button2, f.Edit1, f.Label2};
    terminalControls = {
        f.ComboBox2,    f.Button3,      f.RadioButton1, f.RadioButton2, f.RadioButton3,
        f.RadioButton4, f.RadioButton5, f.RadioButton6, f.RadioButton7, f.Button4,
        f.Button5,      f.Button6,      f.Button7,      f.Button8,      f.Button9,
        f.Button13,     f.Button14,     f.CheckBox1,    f.CheckBox2,    f.Edit2,
        f.Edit3,        f.ProgressBar2, f.Label3,       f.Label13,      f.Label14,
        f.Label20,      f.Label21,      f.Label22,      f.Label23};
    spyControls = {f.Button10,     f.Button11,     f.Button12,      f.Button15,
                   f.ComboBox3,    f.Label15,      f.CheckBox3,     f.CheckBox4,
                   f.RadioButton8, f.RadioButton9, f.RadioButton10, f.RadioButton11};
}

void TForm1::connectWindowHandlers() {
    connect(ui->ComboBox1, &PortComboBox::aboutToShowPopup, this, &TForm1::ComboBox1DropDown);
    connect(ui->ComboBox1, &QComboBox::currentTextChanged, this, &TForm1::ComboBox1Change);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::pageShown);
    // The rate the terminal would open at.
    connect(ui->ComboBox2, &QComboBox::currentTextChanged, statusRelay.get(),
            [this] { statusRelay->linkChanged(); });
}

void TForm1::setStatusReporter(StatusReporter* reporter) {
    statusRelay->setReporter(reporter);
}

namespace {

void switchGroup(const std::vector<QWidget*>& group, bool enabled) {
    for (QWidget* control : group) {
        control->setEnabled(enabled);
    }
}

}  // namespace

void TForm1::DisableProgrammerControls() {
    switchGroup(programmerControls, false);
}

void TForm1::EnableProgrammerControls() {
    switchGroup(programmerControls, true);
}

void TForm1::DisableTerminalControls() {
    switchGroup(terminalControls, false);
}

// Close only makes sense once Open has succeeded.
void TForm1::EnableTerminalControls() {
    switchGroup(terminalControls, true);
    ui->Button7->setEnabled(false);
}

void TForm1::DisableSpyControls() {
    switchGroup(spyControls, false);
}

// Close Spy only makes sense once Open Spy has started a capture.
void TForm1::EnableSpyControls() {
    switchGroup(spyControls, true);
    ui->Button11->setEnabled(false);
}

WindowActivity TForm1::activity() const {
    return {.boardChosen = !ui->ComboBox1->currentText().isEmpty(),
            .programming = modeFlags.ProgrammingBusy,
            // The disk-transfer groups are on while the connection is open,
            // also once its loop has lost the board and waits for Close;
            // TerminalOpen follows the loop only.
            .terminalOpen = ui->GroupBox1->isEnabled(),
            .transferRunning = terminalPageView->transferRunning(),
            .spyRunning = modeFlags.SpyOpen};
}

void TForm1::TerminalLog(const QString& text) {
    terminalDisplay->TerminalLog(text);
}

void TForm1::FormCreate() {
    setWindowTitle(QStringLiteral("Tarvik Evaluation Board Program Version 0.97"));
    terminalDisplay->reset();
    terminalKeyboard->reset();
    // Nothing can be used before a board is chosen in the port chooser.
    DisableProgrammerControls();
    DisableTerminalControls();
    DisableSpyControls();
    RefreshStatus();
    spyCapture->panes().AsciiPaneLines = 0;
    spyCapture->panes().HexPaneLines = 0;
    modeFlags.TerminalOpen = false;
    modeFlags.SpyOpen = false;
}

// A loop that is running when the window closes is nested below this handler;
// it sees its stop token at its next check and returns.
void TForm1::FormClose() {
    modeFlags.TerminalStop.request(StopCause::WindowClosing);
    modeFlags.SpyStop.request(StopCause::WindowClosing);
    modeFlags.ProgrammingStop.request(StopCause::WindowClosing);
    deviceLink->CloseChannelA();
    deviceLink->CloseChannelB();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::applyPortGroupRule() {
    // While a mode runs it has switched the other modes off and keeps its own
    // stop button on; the port chooser must not undo either (during a capture
    // that would leave Close Spy off, or let another mode start beside it).
    if (modeFlags.ProgrammingBusy || modeFlags.TerminalOpen || modeFlags.SpyOpen) {
        return;
    }
    if (ui->ComboBox1->currentText().isEmpty()) {
        DisableProgrammerControls();
        DisableTerminalControls();
        DisableSpyControls();
    } else {
        EnableProgrammerControls();
        EnableTerminalControls();
        EnableSpyControls();
    }
}

void TForm1::ComboBox1DropDown() {
    FillPortList();
    applyPortGroupRule();
}

void TForm1::ComboBox1Change() {
    applyPortGroupRule();
    statusRelay->linkChanged();
}

void TForm1::pageShown(int index) {
    QWidget* page = ui->PageControl1->widget(index);
    if (page == ui->TabSheet1) {
        TabSheet1Show();
    } else if (page == ui->TabSheet2) {
        TabSheet2Show();
    } else if (page == ui->TabSheet3) {
        TabSheet3Show();
    }
}

void TForm1::informIf(bool condition, const QString& text) {
    if (condition) {
        windowDialogs.showInformation(text);
    }
}

void TForm1::TabSheet1Show() {
    informIf(modeFlags.TerminalOpen,
             QStringLiteral("You must close Terminal Mode before programming."));
    informIf(modeFlags.SpyOpen, QStringLiteral("You must close Spy Mode before programming."));
}

void TForm1::TabSheet2Show() {
    informIf(modeFlags.ProgrammingBusy, QStringLiteral("You must wait for programming to finish."));
    informIf(modeFlags.SpyOpen,
             QStringLiteral("You must close Spy Mode before entering terminal mode."));
}

void TForm1::TabSheet3Show() {
    if (modeFlags.ProgrammingBusy) {
        windowDialogs.showInformation(QStringLiteral("You must wait for programming to finish."));
    } else {
        informIf(modeFlags.TerminalOpen,
                 QStringLiteral("You must close Terminal Mode before entering Spy mode."));
    }
    RefreshSpyOptions();
}
