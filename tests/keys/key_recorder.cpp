// A window for the keystroke tests and benchmark: it writes everything typed into it to a
// file, characters as UTF-8 and other keys as {NAME} (Ctrl and Alt combinations as ^x and
// %x), flushing after every key so that a test can watch the file.
//
//   fenno_key_recorder --record-title TITLE --record-to FILE

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QWidget>
#include <map>

namespace {

QString KeyName(int key) {
  static const std::map<int, const char*> kNames = {{Qt::Key_Return, "ENTER"},
                                                    {Qt::Key_Enter, "ENTER"},
                                                    {Qt::Key_Tab, "TAB"},
                                                    {Qt::Key_Backtab, "TAB"},
                                                    {Qt::Key_Left, "LEFT"}};
  if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return QString("{F%1}").arg(key - Qt::Key_F1 + 1);
  const auto it = kNames.find(key);
  return it != kNames.end() ? QString("{%1}").arg(it->second) : QString("{KEY %1}").arg(key, 0, 16);
}

bool IsModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock ||
         key == Qt::Key_NumLock || key == Qt::Key_unknown;
}

class Recorder : public QWidget {
 public:
  explicit Recorder(const QString& path) : out_(path) {
    // Appending lets a test empty the file while the recorder runs.
    out_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Append);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  // Tab is a key to record here, not a move to the next widget.
  bool focusNextPrevChild(bool) override { return false; }

  void keyPressEvent(QKeyEvent* event) override {
    if (IsModifierKey(event->key())) return;
    QString text = event->text();
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    if ((control || alt) && event->key() < Qt::Key_Escape)
      text = QString(QChar(event->key())).toLower();
    if (text.isEmpty() || text.at(0) < QChar(32) || text.at(0) == QChar(127) ||
        ((control || alt) && event->key() >= Qt::Key_Escape))
      text = KeyName(event->key());
    if (alt) text.prepend('%');
    if (control) text.prepend('^');
    out_.write(text.toUtf8());
    out_.flush();
  }

 private:
  QFile out_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const qsizetype title = args.indexOf("--record-title"), out = args.indexOf("--record-to");
  if (title < 0 || out < 0 || title + 1 >= args.size() || out + 1 >= args.size()) return 2;
  Recorder recorder(args.at(out + 1));
  recorder.setWindowTitle(args.at(title + 1));
  recorder.resize(320, 200);
  recorder.show();
  return app.exec();
}
