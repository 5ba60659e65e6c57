// "RUN   (Compile)" in the window: the report box, tmp.tmp, the files beside the document,
// one build at a time.
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <ctime>
#include <functional>
#include <sstream>

#include "ide/app/commands/build_runner.h"
#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/button_bar.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/build/build_locks.h"
#include "tests/ide/support/env_fixture.h"
#include "tests/support/processes.h"
#include "tests/support/stub_assembler.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {
namespace {

const QByteArray kBlink =
    "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim Count As Byte\r\nDdrb = &hFF\r\n"
    "Do\r\n  Portb.0 = 1\r\n  Waitms 250\r\n  Incr Count\r\nLoop\r\nEnd\r\n";

class BuildTest : public EnvTest {
 protected:
  FrmDoc* Open(const QString& name, const QByteArray& text) {
    services.fileNames = {WriteWorkFile(name, text)};
    main->OpenFile(QStringLiteral("All Files (*.*)|*.*"));
    return main->Documents().ActiveDoc();
  }
  QString Report() { return main->Report().toPlainText(); }
  QAction* RunAction() { return main->findChild<QAction*>(QStringLiteral("mnuTools_Run")); }
  bool TmpExists() { return QFile::exists(installDir + QStringLiteral("/tmp.tmp")); }
};

TEST_F(BuildTest, RunCompilesAssemblesAndReportsTheSize) {
  Start();
  Open(QStringLiteral("Blink Dir/Blink.BAS"), kBlink);
  RunAction()->trigger();
  const QStringList lines = Report().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3) << Report().toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("Quorvil Compiler : 11 lines compiled OK"));
  EXPECT_EQ(lines[1], QStringLiteral("Assembling ....  : DONE"));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Code size        : "))) << lines[2].toStdString();
  EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" SRAM bytes free")));
  EXPECT_FALSE(TmpExists());
  // The files beside the document keep the document's name and case.
  EXPECT_TRUE(QFile::exists(workDir + QStringLiteral("/Blink Dir/Blink.asm")));
  EXPECT_TRUE(QFile::exists(workDir + QStringLiteral("/Blink Dir/Blink.hex")));
  EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/Blink Dir/blink.asm")));
}

TEST_F(BuildTest, ErrorsAreListedNumberedAndNothingIsAssembled) {
  Start();
  Open(QStringLiteral("bad.bas"), "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nFrobnicate 1\r\nGoto\r\n");
  RunAction()->trigger();
  const QStringList lines = Report().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 1) << Report().toStdString();
  for (int i = 0; i < lines.size(); ++i)
    EXPECT_TRUE(lines[i].startsWith(QStringLiteral(" %1.").arg(i + 1))) << lines[i].toStdString();
  EXPECT_FALSE(Report().contains(QStringLiteral("Assembling")));
  EXPECT_FALSE(TmpExists());
  EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/bad.hex")));
}

TEST_F(BuildTest, TheRunningBuildUsesTheEditorTextNotTheSavedFile) {
  Start();
  FrmDoc* doc = Open(QStringLiteral("p.bas"), "Frobnicate\r\n");
  doc->rt()->setText(QString::fromLatin1(kBlink));
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().startsWith(QStringLiteral("Quorvil Compiler :"))) << Report().toStdString();
  // A compilation never saves the document.
  EXPECT_EQ(ReadWorkFile(workDir + QStringLiteral("/p.bas")), QByteArray("Frobnicate\r\n"));
  EXPECT_TRUE(doc->Changed());
}

TEST_F(BuildTest, AnAssemblerDocumentIsSavedAndAssembled) {
  Start();
  FrmDoc* doc = Open(QStringLiteral("Prog.asm"), ".include \"m8def.inc\"\r\n");
  doc->rt()->append(QStringLiteral("\tldi r16, 1\r\n"));
  main->Report().Sink().SetText("old");
  main->mnuTools_Run_Click();
  EXPECT_EQ(ReadWorkFile(workDir + QStringLiteral("/Prog.asm")), QByteArray(".include \"m8def.inc\"\r\n\tldi r16, 1\r\n"));
  EXPECT_FALSE(doc->Changed());
  EXPECT_TRUE(Report().startsWith(QStringLiteral("Assembling ....  : DONE\nCode size        : 1 words")))
      << Report().toStdString();
  EXPECT_TRUE(QFile::exists(workDir + QStringLiteral("/Prog.hex")));
}

TEST_F(BuildTest, AMissingAssemblerIsReportedNotPassedForZeroWords) {
  Start();
  QFile::remove(installDir + QStringLiteral("/inc/AvrAsm32"));
  Open(QStringLiteral("blink.bas"), kBlink);
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().contains(QStringLiteral(" 1.  "))) << Report().toStdString();
  EXPECT_FALSE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
  EXPECT_FALSE(TmpExists());
}

// A compilation that fails inside the compiler (its .asm cannot be written) is shown in a
// message box and never assembled.
TEST_F(BuildTest, ACompilerFailureIsShownAndNotAssembled) {
  Start();
  Open(QStringLiteral("gone/p.bas"), kBlink);
  QDir(workDir + QStringLiteral("/gone")).removeRecursively();
  main->mnuTools_Run_Click();
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_TRUE(services.informations[0].contains(QStringLiteral("gone/p.asm"))) << services.informations[0].toStdString();
  EXPECT_FALSE(Report().contains(QStringLiteral("Assembling"))) << Report().toStdString();
  EXPECT_FALSE(TmpExists());
}

// A qbc build of the same installation folder uses its tmp.tmp: Run does not start then.
TEST_F(BuildTest, RunWaitsForNoQbcBuildOfTheSameFolder) {
  Start();
  Open(QStringLiteral("blink.bas"), kBlink);
  InstallationLock other;
  std::string holder;
  ASSERT_TRUE(other.Acquire(QFile::encodeName(installDir).toStdString(), "/w/other.bas", std::chrono::milliseconds(0),
                            holder));
  main->Report().Sink().SetText("earlier report");
  main->mnuTools_Run_Click();
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_TRUE(services.informations[0].startsWith(QStringLiteral("The installation folder ") + installDir))
      << services.informations[0].toStdString();
  EXPECT_TRUE(services.informations[0].contains(QStringLiteral("other.bas")));
  EXPECT_EQ(Report(), QStringLiteral("earlier report"));
  other.Release();
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
}

// A build from another installation writes the files beside the document too: Run does
// not start while one builds in the document's folder.
TEST_F(BuildTest, RunWaitsForNoBuildFromAnotherInstallationInTheDocumentsFolder) {
  Start();
  Open(QStringLiteral("blink.bas"), kBlink);
  FolderLock other;
  ASSERT_TRUE(other.Acquire(QFile::encodeName(workDir + QStringLiteral("/other.bas")).toStdString(),
                            std::chrono::milliseconds(0)));
  main->Report().Sink().SetText("earlier report");
  main->mnuTools_Run_Click();
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_EQ(services.informations[0],
            QStringLiteral("The folder ") + workDir + QStringLiteral(" is in use by a build from another installation"));
  EXPECT_EQ(Report(), QStringLiteral("earlier report"));
  other.Release();
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
}

TEST_F(BuildTest, OneBuildAtATimeWhileTheReportWaits) {
  Start();
  Open(QStringLiteral("blink.bas"), kBlink);
  bool checked = false;
  bool scheduled = false;
  QString reportDuringWait;
  // Runs with the window's next events once the assembler's run is reported DONE, before
  // its output is read.
  QObject::connect(&main->Report(), &QPlainTextEdit::textChanged, [&] {
    if (scheduled || !Report().endsWith(QStringLiteral("DONE\n"))) return;
    scheduled = true;
    QTimer::singleShot(0, [&] {
      checked = true;
      EXPECT_FALSE(RunAction()->isEnabled());
      EXPECT_TRUE(main->Build().Running());
      reportDuringWait = Report();
      main->mnuTools_Run_Click();
      main->ButtonPressed(10);
      EXPECT_EQ(Report(), reportDuringWait);
    });
  });
  main->mnuTools_Run_Click();
  EXPECT_TRUE(checked);
  EXPECT_EQ(reportDuringWait,
            QStringLiteral("Quorvil Compiler : 11 lines compiled OK\nAssembling ....  : DONE\n"));
  EXPECT_TRUE(RunAction()->isEnabled());
  EXPECT_FALSE(main->Build().Running());
}

// A program nested far too deep for the compiler's stack: F5 lists the numbered error and
// the editor keeps its unsaved text (the environment died with it).
TEST_F(BuildTest, DeepNestingIsACompileErrorAndTheTextStays) {
  Start();
  FrmDoc* doc = Open(QStringLiteral("deep.bas"), "' saved\r\n");
  QByteArray text = "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\n";
  text += QByteArray("If A = 1 Then\r\n").repeated(12800) + "A = 2\r\n" + QByteArray("End If\r\n").repeated(12800);
  doc->SetBytes(text);
  doc->SetChanged(true);
  main->mnuTools_Run_Click();
  EXPECT_EQ(Report(), QStringLiteral(" 1. Too many nested blocks (254)! (\"") + workDir +
                          QStringLiteral("/deep.bas\" --> Line  259)\n"));
  EXPECT_EQ(doc->Bytes(), text);
  EXPECT_TRUE(doc->Changed());
  EXPECT_FALSE(TmpExists());
}

// Whatever happens to a build, the environment and its editors' text live on: here the
// build's own process is killed by a crash while it assembles. The crash is reported,
// nothing is left that passes for a build, and the next Run works.
TEST_F(BuildTest, ABuildThatCrashesLeavesTheEnvironmentAndItsTextAlive) {
  Start();
  FrmDoc* doc = Open(QStringLiteral("blink.bas"), kBlink);
  doc->rt()->append(QStringLiteral("' typed since the last save\r\n"));
  const QByteArray text = doc->Bytes();
  // Stands in for avra: it kills the process that runs the build (the parent of
  // AvrAsm32, whose child this is).
  const QString crasher = WriteWorkFile(QStringLiteral("crash-the-build"),
                                        "#!/bin/sh\nread -r _ _ _ build _ < /proc/$PPID/stat\nkill -KILL $build\nsleep 5\n");
  QFile::setPermissions(crasher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("QBC_AVRA", QFile::encodeName(crasher));
  main->mnuTools_Run_Click();
  qunsetenv("QBC_AVRA");
  const QString said =
      QStringLiteral("The build stopped (signal 9, Killed): nothing was built; the text in the editor is kept.");
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_EQ(services.informations[0], said);
  EXPECT_TRUE(Report().endsWith(said + QStringLiteral("\n"))) << Report().toStdString();
  Screenshot(main.get(), QStringLiteral("build-crashed"));
  EXPECT_EQ(doc->Bytes(), text);
  EXPECT_TRUE(doc->Changed());
  EXPECT_FALSE(TmpExists());
  EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/blink.hex")));
  EXPECT_TRUE(RunAction()->isEnabled());
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
}

// The size report stands only beside the whole .hex: an assembler whose word and files
// disagree is listed as an error (the second run that removed the .hex is gone).
TEST_F(BuildTest, TheSizeIsReportedOnlyBesideTheWholeHex) {
  for (const StubCase& c : StubAssemblers()) {
    SCOPED_TRACE(c.name);
    UseInstallDir(QString::fromStdString(MakeTempDir("stub install")));
    InstallStubAssembler(QFile::encodeName(installDir).toStdString(), c.kind);
    Start();
    Open(QStringLiteral("blink.bas"), kBlink);
    RunAction()->trigger();
    const bool hex = QFile::exists(workDir + QStringLiteral("/blink.hex"));
    if (c.kind == StubAssembler::kFailsOnItsSecondRun) {
      EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
      EXPECT_TRUE(hex);
    } else {
      EXPECT_TRUE(Report().contains(QStringLiteral(" 1.  ") + installDir + QStringLiteral("/inc/AvrAsm32: error: ")))
          << Report().toStdString();
      EXPECT_FALSE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
      EXPECT_FALSE(hex);
    }
    main.reset();
  }
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

// A build whose assembler (a stand-in for avra) takes 30 s: it tells its process id and
// its parent's (AvrAsm32's) in <work>/pids.
class SlowBuildTest : public BuildTest {
 protected:
  void SetUp() override {
    BuildTest::SetUp();
    pidsPath = workDir + QStringLiteral("/pids");
    const QString slow = WriteWorkFile(QStringLiteral("slow-avra"),
                                       ("#!/bin/sh\necho $PPID $$ > '" + pidsPath + ".tmp'\nmv '" + pidsPath + ".tmp' '" +
                                        pidsPath + "'\nexec sleep 30\n")
                                           .toUtf8());
    QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("QBC_AVRA", QFile::encodeName(slow));
  }
  void TearDown() override {
    qunsetenv("QBC_AVRA");
    // Nothing of a build that was not stopped outlives the test.
    if (assembler > 0 && ProcessRuns(assembler)) kill(assembler, SIGKILL);
    if (avra > 0 && ProcessRuns(avra)) kill(avra, SIGKILL);
    BuildTest::TearDown();
  }
  // Whether the assembler runs now; its process ids are read then.
  bool AssemblerRuns() {
    if (!QFile::exists(pidsPath)) return false;
    std::istringstream(ReadWorkFile(pidsPath).toStdString()) >> assembler >> avra;
    return true;
  }
  QAction* StopAction() { return main->findChild<QAction*>(QStringLiteral("mnuTools_Stop")); }
  QString Building() {
    auto* label = main->findChild<QLabel*>(QStringLiteral("building"));
    return label ? label->text() : QStringLiteral("(no label)");
  }

  QString pidsPath;
  pid_t assembler = 0;
  pid_t avra = 0;
};

const QString kStopped = QStringLiteral("The build was stopped: nothing was built; the text in the editor is kept.\n");

// While it builds the window takes input and repaints, says that a build runs and offers
// Stop; Shift+F5 ends the build's whole process group at once (the window used to be dead
// until the assembler ended), reports it and leaves no .hex.
TEST_F(SlowBuildTest, TheWindowLivesWhileItBuildsAndShiftF5StopsTheBuild) {
  Start();
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  FrmDoc* doc = Open(QStringLiteral("blink.bas"), kBlink);
  PaintCounter paints;
  main->Report().viewport()->installEventFilter(&paints);
  int step = 0;
  int paintsBefore = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (step == 0 && AssemblerRuns()) {
      step = 1;
      EXPECT_FALSE(RunAction()->isEnabled());
      EXPECT_TRUE(StopAction() && StopAction()->isEnabled());
      EXPECT_EQ(Building(), QStringLiteral("Building ...  Shift+F5 stops it"));
      Screenshot(main.get(), QStringLiteral("building"));
      doc->rt()->setFocus();
      QTest::keyClick(doc->rt(), Qt::Key_End, Qt::ControlModifier);
      QTest::keyClicks(doc->rt(), QStringLiteral("' typed while it builds"));
      paintsBefore = paints.count;
      main->Report().viewport()->update();
    } else if (step == 1 && paints.count > paintsBefore) {
      step = 2;
      QTest::keyClick(doc->rt(), Qt::Key_F5, Qt::ShiftModifier);
    }
  });
  poll.start(10);
  QElapsedTimer took;
  took.start();
  main->mnuTools_Run_Click();
  poll.stop();
  EXPECT_EQ(step, 2);
  EXPECT_LT(took.elapsed(), 20000);
  EXPECT_TRUE(Report().endsWith(kStopped)) << Report().toStdString();
  EXPECT_TRUE(services.informations.empty());
  EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/blink.hex")));
  EXPECT_FALSE(ProcessRuns(assembler));
  EXPECT_FALSE(ProcessRuns(avra));
  EXPECT_TRUE(doc->Bytes().contains("' typed while it builds"));
  EXPECT_TRUE(RunAction()->isEnabled());
  ASSERT_NE(StopAction(), nullptr);
  EXPECT_FALSE(StopAction()->isEnabled());
  EXPECT_EQ(Building(), QString());
  // The installation is free again: the next build runs.
  qunsetenv("QBC_AVRA");
  main->mnuTools_Run_Click();
  EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
}

// Closing the window while it builds stops the build first; the window closes once it has
// ended.
TEST_F(SlowBuildTest, ClosingTheWindowWhileItBuildsStopsTheBuildFirst) {
  Start();
  Open(QStringLiteral("blink.bas"), kBlink);
  bool shutDown = false;
  QObject::connect(main.get(), &FrmMain::shutDown, [&] { shutDown = true; });
  bool closed = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (closed || !AssemblerRuns()) return;
    closed = true;
    main->close();
  });
  poll.start(10);
  QElapsedTimer took;
  took.start();
  main->mnuTools_Run_Click();
  poll.stop();
  EXPECT_TRUE(closed);
  EXPECT_LT(took.elapsed(), 20000);
  EXPECT_TRUE(Report().endsWith(kStopped)) << Report().toStdString();
  EXPECT_FALSE(ProcessRuns(assembler));
  EXPECT_FALSE(ProcessRuns(avra));
  EXPECT_FALSE(QFile::exists(workDir + QStringLiteral("/blink.hex")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return shutDown; }, 5000));
  EXPECT_FALSE(main->isVisible());
}

// The CPU time this thread has used, in milliseconds.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A build that ends while a modal dialog is open: File > Open, or the environment's own
// question about a document changed on the disk, which comes without any action of the
// user. The build's end is taken in the dialog's event loop: the report moves on, the
// build's process is reaped and the environment rests. (It spun a whole core until the
// dialog was closed, its build a zombie and its report at "Assembling".)
TEST_F(BuildTest, ABuildThatEndsUnderAModalDialogEndsThere) {
  struct Case {
    const char* what;
    std::function<void()> openDialog;  // runs in the build's first events
  } cases[] = {
      {"File > Open", [this] { main->OpenFile(QStringLiteral("All Files (*.*)|*.*")); }},
      {"the question about a document changed on the disk",
       [this] { WriteWorkFile(QStringLiteral("blink.bas"), kBlink + "' changed elsewhere\r\n"); }},
  };
  // Its avra assembles once the dialog is open, so that the build ends under it.
  qputenv("QBC_AVRA", WriteGatedAvra(QFile::encodeName(workDir).toStdString()).c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(workDir + QStringLiteral("/go"));
    QFile::remove(workDir + QStringLiteral("/blink.hex"));
    Start();
    Open(QStringLiteral("blink.bas"), kBlink);
    bool dialogOpened = false;
    bool endedUnderIt = false;
    QString reportUnderIt;
    int unreaped = -1;
    double cpuMs = -1;
    double wallMs = -1;
    services.duringDialog = [&] {
      dialogOpened = true;
      WriteWorkFile(QStringLiteral("go"), "");
      QDialog dialog(main.get());
      dialog.setModal(true);
      QElapsedTimer wall;
      wall.start();
      // The build's own work done (its .hex in place, its source copy removed), then a
      // while for the environment to take its end, then half a second of looking on.
      int step = 0;
      qint64 since = 0;
      double cpuBefore = 0;
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 now = wall.elapsed();
        if (step == 0 && ((QFile::exists(workDir + QStringLiteral("/blink.hex")) && !TmpExists()) || now > 60000)) {
          step = 1;
          since = now;
        } else if (step == 1 && (!main->Build().Running() || now - since > 5000)) {
          step = 2;
          endedUnderIt = !main->Build().Running();
          since = now;
          cpuBefore = ThreadCpuMs();
        } else if (step == 2 && now - since >= 500) {
          cpuMs = ThreadCpuMs() - cpuBefore;
          wallMs = static_cast<double>(now - since);
          reportUnderIt = Report();
          unreaped = UnreapedChildren();
          dialog.accept();
        }
      });
      poll.start(10);
      dialog.exec();
    };
    QTimer::singleShot(0, main.get(), c.openDialog);
    RunAction()->trigger();
    services.duringDialog = nullptr;
    EXPECT_TRUE(dialogOpened);
    EXPECT_TRUE(endedUnderIt);
    EXPECT_TRUE(reportUnderIt.contains(QStringLiteral("Code size"))) << reportUnderIt.toStdString();
    EXPECT_EQ(unreaped, 0);
    EXPECT_LT(cpuMs, wallMs / 4) << "the environment used " << cpuMs << " ms of CPU in " << wallMs << " ms";
    EXPECT_TRUE(Report().contains(QStringLiteral("Code size"))) << Report().toStdString();
    EXPECT_TRUE(RunAction()->isEnabled());
    main.reset();
  }
  qunsetenv("QBC_AVRA");
}

TEST_F(BuildTest, RunFromTheButtonGivesTheEditorTheFocus) {
  Start();
  main->activateWindow();
  FrmDoc* doc = Open(QStringLiteral("blink.bas"), kBlink);
  main->Report().setFocus();
  main->Buttons().MouseDown(10);
  EXPECT_TRUE(Report().contains(QStringLiteral("Code size")));
  EXPECT_EQ(QApplication::focusWidget(), doc->rt());
}

}  // namespace
}  // namespace qbc::test
