#include "ide/app/windows/frm_main.h"

#include <Qsci/qsciscintilla.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "ide/app/commands/build_runner.h"
#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/edit_commands.h"
#include "ide/app/commands/programmer_launcher.h"
#include "ide/app/commands/recent_files_menu.h"
#include "ide/app/commands/tool_launcher.h"
#include "ide/app/services/desktop_services.h"
#include "ide/app/services/settings_store.h"
#include "ide/app/windows/button_bar.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/app/windows/window_arrangement.h"
#include "ide/core/document_caption.h"
#include "ide/core/editor_texts.h"
#include "ide/core/settings_keys.h"

namespace qbc {

FrmMain::FrmMain(EnvironmentOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      area_(new QMdiArea),
      report_(new ReportBox),
      buttons_(new ButtonBar),
      fileLabel_(new QLabel),
      posLabel_(new QLabel),
      buildLabel_(new QLabel),
      timer1_(new QTimer(this)) {
  setObjectName(QStringLiteral("frmMain"));
  area_->setObjectName(QStringLiteral("mdiArea"));
  fileLabel_->setObjectName(QStringLiteral("File"));
  posLabel_->setObjectName(QStringLiteral("pos"));
  buildLabel_->setObjectName(QStringLiteral("building"));
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setSingleShot(true);
  report_->setFixedHeight(110);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(buttons_);
  layout->addWidget(area_, 1);
  layout->addWidget(report_);
  setCentralWidget(central);
  statusBar()->addWidget(fileLabel_, 1);
  statusBar()->addPermanentWidget(buildLabel_);
  statusBar()->addPermanentWidget(posLabel_);
  resize(1000, 720);

  DesktopServices& services = *options_.services;
  DocumentEvents events;
  events.showFileStatus = [this](const QString& text) { fileLabel_->setText(text); };
  events.clearReport = [this] { report_->Clear(); };
  events.addRecent = [this](const QString& path) { AddRecent(path); };
  events.showCaret = [this](int line, int column) {
    posLabel_->setText(QString::fromStdString(CaretPositionText(line, column)));
  };
  documents_ = std::make_unique<DocumentManager>(area_, services, std::move(events));
  build_ = std::make_unique<BuildRunner>(
      *documents_, *report_, options_.installDir, [this](std::function<void()> then) { WaitOneSecond(std::move(then)); },
      options_.lockWaitMs,
      [this, &services](const QString& text) { services.Information(this, text); });
  edit_ = std::make_unique<EditCommands>(*documents_, services, this);
  programs_ = std::make_unique<ProgrammerLauncher>(services, this, options_.installDir,
                                                   [this] { return documents_->ActiveDoc() ? documents_->ActiveDoc()->Path() : QString(); });
  tools_ = std::make_unique<ToolLauncher>(*documents_, this);
  report_->onFailure = [this, &services](const QString& description) { services.Information(this, description); };
  BuildMenus();

  buttonOperations_ = {
      [this] { documents_->FileNew(); },
      [this] { OpenFile(QString::fromLatin1(kBasicFilter)); },
      [this] { OpenFile(QString::fromLatin1(kAssemblerFilter)); },
      [this] { mnuFileSave_Click(); },
      [this] { edit_->Indent(); },
      [this] { edit_->UnIndent(); },
      [this] { edit_->CommentBlock(); },
      [this] { edit_->UnCommentBlock(); },
      [this, &services] {
        if (FrmDoc* doc = documents_->ActiveDoc()) services.Print(this, doc->rt());
      },
      [this] { edit_->Properties(); },
      [this] { mnuTools_Run_Click(); },
      [this] { DoProg(); },
      [this] { DoDebug(); },
      [this] { DoLcd(); },
      [this] { tools_->ShowTerminal(); },
      [this] { tools_->ShowCalc(); },
      [this] { programs_->HelpFromButton(); },
      [this] { mnuFileExit_Click(); },
  };
  connect(buttons_, &ButtonBar::pressed, this, &FrmMain::ButtonPressed);
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildMenus() {
  struct Row {
    std::string caption;  // empty: a separator
    const char* name;
    const char* keys;
    std::function<void()> run;
  };
  DesktopServices& services = *options_.services;
  auto printActive = [this, &services] {
    if (FrmDoc* doc = documents_->ActiveDoc()) services.Print(this, doc->rt());
  };
  auto pageSetup = [this, &services] {
    if (documents_->ActiveDoc()) services.PageSetup(this);
  };
  auto addRowsTo = [this](QMenu* menu, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      if (row.caption.empty()) {
        menu->addSeparator();
        continue;
      }
      QAction* a = menu->addAction(QString::fromStdString(row.caption));
      a->setObjectName(QString::fromLatin1(row.name));
      if (row.keys) a->setShortcut(QKeySequence(QString::fromLatin1(row.keys)));
      connect(a, &QAction::triggered, this, row.run);
    }
  };
  auto addRows = [this, addRowsTo](const char* title, const char* name, const std::vector<Row>& rows) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
    menu->setObjectName(QString::fromLatin1(name));
    addRowsTo(menu, rows);
    return menu;
  };
  const Row separator{"", nullptr, nullptr, {}};

  QMenu* file = addRows("&File", "mnuFile",
                        {{"&New", "mnuFileNew", nullptr, [this] { documents_->FileNew(); }},
                         {"&Open", "mnuFileOpen", "Ctrl+O", [this] { OpenFile(QString::fromLatin1(kBasicFilter)); }},
                         separator,
                         {"&Save", "mnuFileSave", nullptr, [this] { mnuFileSave_Click(); }},
                         {"Save &As", "mnuFileSaveAs", nullptr, [this] { documents_->SaveAs(); }},
                         separator,
                         {"Page &Setup", "mnuFilePageSetup", nullptr, pageSetup},
                         {"&Print", "mnuFilePrint", nullptr, printActive},
                         separator});
  QMenu* recent = file->addMenu(QStringLiteral("&Recent Files"));
  recent->setObjectName(QStringLiteral("mnuRecent"));
  recent_ = std::make_unique<RecentFilesMenu>(recent, options_.installDir, [this](const QString& path) {
    documents_->OpenPath(path, nullptr, true);
    report_->Clear();
  });
  addRowsTo(file, {separator, {"E&xit", "mnuFileExit", nullptr, [this] { mnuFileExit_Click(); }}});

  EditCommands* e = edit_.get();
  // The key is part of the caption, not a shortcut.
  const std::string replaceCaption = "&Replace" + std::string(57, ' ') + "Ctrl+Alt+R";
  addRows("&Edit", "mnuEdit",
          {{"UnDo", "mnuEdit_UnDo", "Ctrl+Z", [e] { e->Undo(); }},
           {"ReDo", "mnuEdit_ReDo", "F8", [e] { e->Redo(); }},
           separator,
           {"C&ut", "mnuEdit_Cut", "Ctrl+X", [e] { e->Cut(); }},
           {"&Copy", "mnuEdit_Copy", "Ctrl+C", [e] { e->Copy(); }},
           {"&Paste", "mnuEdit_Paste", "Ctrl+V", [e] { e->Paste(); }},
           {"&Delete", "mnuEdit_Delete", "Shift+Del", [e] { e->Delete(); }},
           separator,
           {"&Find", "mnuEdit_Find", "Ctrl+F", [e] { e->Find(); }},
           {"Find &Next", "mnuEdit_Next", "F3", [e] { e->FindNext(); }},
           {replaceCaption, "mnuEdit_Replace", nullptr, [e] { e->Replace(); }},
           {"&Go to ...", "mnuEdit_GoTo", "Ctrl+G", [e] { e->GoTo(); }},
           separator,
           {"Indent", "mnuEditIndent", nullptr, [e] { e->Indent(); }},
           {"UnIndent", "mnuEditUnIndent", nullptr, [e] { e->UnIndent(); }},
           separator,
           {"Comment Block", "mnuEditComBlock", nullptr, [e] { e->CommentBlock(); }},
           {"UnComment Block", "mnuEditUnComBlock", nullptr, [e] { e->UnCommentBlock(); }},
           separator,
           {"Select &All", "mnuEdit_All", "Ctrl+A", [e] { e->SelectAll(); }}});

  addRows("&Options", "mnuOptions", {{"Editor Properties", "mnuOpt_Prop", nullptr, [e] { e->Properties(); }}});

  ProgrammerLauncher* p = programs_.get();
  ToolLauncher* t = tools_.get();
  addRows("&Tools", "mnuTools",
          {{"Find AvrStudio", "mnuTools_Studio", nullptr, [p] { p->TestDebug(); }},
           {"Find Programmer", "mnuTools_Prog", nullptr, [p] { p->TestProg(); }},
           separator,
           {"Programmer", "mnuTools_RunProg", "F6", [this] { DoProg(); }},
           {"Programmer Command Line", "progCmdLine", nullptr, [p] { p->EditCommandLine(); }},
           {"AvrStudio", "mnuTools_RunStudio", "F7", [this] { DoDebug(); }},
           {"LCD Char Designer", "mnuTools_LCD", "F4", [this] { DoLcd(); }},
           {"Terminal Emulator", "mnuTools_Terminal", "F9", [t] { t->ShowTerminal(); }},
           {"AVR Calculator", "mnuTools_Calc", "F11", [t] { t->ShowCalc(); }},
           separator,
           {"RUN   (Compile)", "mnuTools_Run", "F5", [this] { mnuTools_Run_Click(); }},
           {"STOP  (Build)", "mnuTools_Stop", "Shift+F5", [this] { build_->Stop(); }}});
  QAction* run = findChild<QAction*>(QStringLiteral("mnuTools_Run"));
  QAction* stop = findChild<QAction*>(QStringLiteral("mnuTools_Stop"));
  stop->setEnabled(false);
  build_->onRunning = [this, run, stop](bool running) {
    run->setEnabled(!running);
    stop->setEnabled(running);
    buildLabel_->setText(running ? QStringLiteral("Building ...  Shift+F5 stops it") : QString());
    // A close asked for while the build ran comes now that it has ended.
    if (!running && closeAfterBuild_) {
      closeAfterBuild_ = false;
      QTimer::singleShot(0, this, &QWidget::close);
    }
  };

  QMdiArea* area = area_;
  addRows("&Window", "mnuWindow",
          {{"Arrange Icons", "mnuWindowArrangeIcons", nullptr, [area] { ArrangeIcons(area); }},
           {"Tile Vertical", "mnuWindowTileVertical", nullptr, [area] { TileVertical(area); }},
           {"Cascade", "mnuWindowCascade", nullptr, [area] { Cascade(area); }},
           {"Tile Horizontal", "mnuWindowTileHorizontal", nullptr, [area] { TileHorizontal(area); }}});
  addRows("&Help", "mnuHelpMenu",
          {{"&Help", "mnuHelp", nullptr, [p] { p->Help(); }},
           {"&About", "mnuHelpAbout", nullptr, [this] {
              if (options_.showAbout) options_.showAbout();
            }}});
}

void FrmMain::Load() {
  show();
  const QString lastFile = ReadSetting(settings::kStartup, settings::kLastFile, options_.installDir);
  const QFileInfo info(lastFile);
  // A last file that is gone, or that cannot be read, gives a new document.
  if (info.isFile() && documents_->OpenPath(lastFile)) {
    QDir::setCurrent(info.absolutePath());
  } else {
    FrmDoc* doc = documents_->FileNew();
    const QString path = options_.installDir + QLatin1Char('/') + doc->Path();
    doc->SetPath(path);
    documents_->SetCurrentFileName(path);
    fileLabel_->setText(doc->windowTitle());
  }
  setWindowTitle(QStringLiteral("Quorvil Basic Compiler for AVR microcontrolers"));
  LoadRecent();
}

void FrmMain::mnuTools_Run_Click() { build_->Run(); }
void FrmMain::mnuFileSave_Click() { documents_->SaveActive(); }
void FrmMain::mnuFileExit_Click() { close(); }
void FrmMain::OpenFile(const QString& filter) { documents_->OpenFile(filter); }
void FrmMain::AddRecent(const QString& path) { recent_->AddRecent(path); }
void FrmMain::LoadRecent() { recent_->LoadRecent(); }
void FrmMain::DoLcd() { tools_->DoLcd(); }
void FrmMain::DoDebug() { programs_->DoDebug(); }
QString FrmMain::TestDebug() { return programs_->TestDebug(); }
QString FrmMain::TestProg() { return programs_->TestProg(); }
void FrmMain::DoProg() { programs_->DoProg(); }

void FrmMain::ButtonPressed(int index) {
  if (index < 0 || index >= static_cast<int>(buttonOperations_.size())) return;
  if (index == 10 && build_->Running()) return;
  buttonOperations_[static_cast<std::size_t>(index)]();
  // The programs started by the other buttons keep the focus they took.
  if (index < 11 || index == 13) {
    if (FrmDoc* doc = documents_->ActiveDoc()) doc->rt()->setFocus();
  }
}

void FrmMain::WaitOneSecond(std::function<void()> then) {
  // The window is served meanwhile by whatever event loop runs (a dialog's too); nothing
  // waits in a loop of its own, which a dialog opened meanwhile would hold up. The build
  // goes on after the events posted before the tick, as it did after a loop that served
  // them until the tick.
  connect(
      timer1_, &QTimer::timeout, this,
      [this, then = std::move(then)] { QMetaObject::invokeMethod(this, then, Qt::QueuedConnection); },
      Qt::SingleShotConnection);
  timer1_->start(options_.waitMs);
}

void FrmMain::closeEvent(QCloseEvent* event) {
  if (build_->Running()) {
    // The build ends first (the window is served while it runs); the close comes after.
    closeAfterBuild_ = true;
    build_->Stop();
    event->ignore();
    return;
  }
  // Every document window closes with its own question; one that stays open keeps the
  // environment running. The last file is the one active when the window was closed, not
  // the one that happened to be activated while the others closed.
  const QString lastFile = documents_->CurrentFileName();
  for (QMdiSubWindow* w : area_->subWindowList()) {
    if (!w->close()) {
      event->ignore();
      return;
    }
  }
  WriteSetting(settings::kStartup, settings::kLastFile, lastFile);
  event->accept();
  emit shutDown();
}

}  // namespace qbc
