#include "ide/app/windows/frm_doc.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QCloseEvent>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <string>

#include "compiler/base/whole_file.h"

#include "ide/app/editor/editor_colors.h"
#include "ide/app/editor/editor_look_store.h"
#include "ide/app/editor/quorvil_lexer.h"
#include "ide/core/document_caption.h"
#include "ide/core/settings_keys.h"

namespace qbc {

namespace {

QFont EditorFont() {
  QFont f(QStringLiteral("Courier New"));
  f.setStyleHint(QFont::Monospace);
  // 12 pixels high on a 96 dpi screen; the editor sizes its styles in points.
  f.setPointSize(9);
  f.setWeight(QFont::Normal);
  return f;
}

// A loaded text keeps its line ends; new lines typed into it get the same kind.
QsciScintilla::EolMode EolModeOf(const QByteArray& bytes) {
  const int lf = bytes.indexOf('\n');
  if (lf > 0 && bytes[lf - 1] == '\r') return QsciScintilla::EolWindows;
  if (lf >= 0) return QsciScintilla::EolUnix;
  return bytes.contains('\r') ? QsciScintilla::EolMac : QsciScintilla::EolWindows;
}

}  // namespace

FrmDoc::FrmDoc(const EditorLook& look, int commandId, QWidget* parent)
    : QMdiSubWindow(parent), rt_(new QsciScintilla), lexer_(new QuorvilLexer(rt_)), commandId_(commandId) {
  setObjectName(QStringLiteral("frmDoc"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Document"));
  rt_->setObjectName(QStringLiteral("rt"));
  // Latin-1: one byte is one character, so the file's bytes reach the compiler unchanged.
  rt_->setUtf8(false);
  rt_->setLexer(lexer_);
  rt_->setMarginType(0, QsciScintilla::NumberMargin);
  rt_->setCaretLineVisible(true);
  rt_->setTabWidth(4);
  rt_->setEolMode(QsciScintilla::EolWindows);
  // Shift+Del is the Edit menu's Delete, which leaves the clipboard alone; the editor's
  // own binding would cut.
  const int shiftDelete = QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete).toCombined();
  if (QsciCommand* cut = rt_->standardCommands()->boundTo(shiftDelete)) {
    if (cut->key() == shiftDelete) cut->setKey(0);
    if (cut->alternateKey() == shiftDelete) cut->setAlternateKey(0);
  }
  setWidget(rt_);
  ApplyLook(look);
  FitNumberMargin();
  connect(rt_, &QsciScintilla::textChanged, this, [this] {
    if (!loading_) changed_ = true;
  });
  connect(rt_, &QsciScintilla::linesChanged, this, &FrmDoc::FitNumberMargin);
  connect(rt_, &QsciScintilla::cursorPositionChanged, this, [this](int line, int index) {
    emit caretMoved(line + 1, index + 1);
  });
}

QString FrmDoc::Path() const { return QString::fromStdString(PathFromCaption(windowTitle().toStdString())); }

void FrmDoc::SetPath(const QString& path) { setWindowTitle(QString::fromStdString(CaptionFor(path.toStdString()))); }

// The editor's bytes are taken and given by length: its text calls stop at the first NUL,
// which would cut a document that holds one.
QByteArray FrmDoc::Bytes() const {
  const long length = rt_->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  QByteArray bytes(static_cast<qsizetype>(length) + 1, '\0');
  rt_->SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, 0L, length, bytes.data());
  bytes.resize(static_cast<qsizetype>(length));
  return bytes;
}

void FrmDoc::SetBytes(const QByteArray& bytes) {
  loading_ = true;
  rt_->setEolMode(EolModeOf(bytes));
  const bool readOnly = rt_->isReadOnly();
  rt_->setReadOnly(false);
  rt_->SendScintilla(QsciScintillaBase::SCI_CLEARALL);
  rt_->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
  rt_->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  rt_->setReadOnly(readOnly);
  loading_ = false;
  FitNumberMargin();
}

bool FrmDoc::ReadFile(const QString& path, QByteArray& bytes, QString* error) {
  std::string text;
  std::string why;
  if (ReadWholeFile(QFile::encodeName(path).toStdString(), text, why) != FileRead::kRead) {
    if (error) *error = QString::fromStdString(why);
    return false;
  }
  bytes = QByteArray::fromStdString(text);
  return true;
}

bool FrmDoc::WriteFile(const QString& path, const QByteArray& bytes, QString* error) {
  std::string why;
  // Synced: the document is the one copy of what the user wrote.
  if (WriteWholeFile(QFile::encodeName(path).toStdString(), bytes.toStdString(), why, true)) return true;
  if (error) *error = QString::fromStdString(why);
  return false;
}

void FrmDoc::NoteDiskFile(const DiskStamp& stamp, const QByteArray& bytes) {
  diskStamp_ = stamp;
  diskHash_ = qHash(bytes);
}

bool FrmDoc::SameAsDiskText(const QByteArray& bytes) const { return qHash(bytes) == diskHash_; }

void FrmDoc::FitNumberMargin() {
  // Room for every digit of the last line's number, and never less than five.
  const int digits = static_cast<int>(QString::number(rt_->lines()).size());
  if (digits == numberDigits_) return;
  numberDigits_ = digits;
  rt_->setMarginWidth(0, QString(std::max(digits, 5) + 1, QLatin1Char('0')));
}

void FrmDoc::ApplyLook(const EditorLook& look) {
  look_ = look;
  const QFont font = EditorFont();
  lexer_->ApplyLook(look, font);
  const QColor window = ToQColor(look.Color(settings::kSlotWindow), Qt::white);
  rt_->setPaper(window);
  rt_->setMarginsForegroundColor(ToQColor(look.Color(settings::kSlotLineNum), Qt::black));
  rt_->setMarginsBackgroundColor(ToQColor(look.Color(settings::kSlotLineNumBkg), window));
  rt_->setMarginsFont(font);
  rt_->setMarginBackgroundColor(1, ToQColor(look.Color(settings::kSlotLeftMargin), window));
  rt_->setCaretLineBackgroundColor(ToQColor(look.Color(settings::kSlotHighLight), window));
  rt_->setEdgeColor(ToQColor(look.Color(settings::kSlotDivider), Qt::lightGray));
  rt_->setMarkerForegroundColor(ToQColor(look.Color(settings::kSlotBookMark), Qt::red));
  rt_->setMarkerBackgroundColor(ToQColor(look.Color(settings::kSlotBookMarkBkg), window));
  // Bounded selection: the caret and the selection stay within the text of each line.
  rt_->SendScintilla(QsciScintillaBase::SCI_SETVIRTUALSPACEOPTIONS,
                     look.selBound ? 0UL : static_cast<unsigned long>(QsciScintillaBase::SCVS_USERACCESSIBLE));
}

void FrmDoc::closeEvent(QCloseEvent* event) {
  const bool close = !closeGuard_ || closeGuard_(this);
  WriteEditorLook(look_);
  if (!close) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}

}  // namespace qbc
