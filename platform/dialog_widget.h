#pragma once
// The widget behind a dialog: shows the window's surface as its background, turns
// Qt's events into the window's messages, and keeps Qt's own dialog behaviour (default
// buttons, Escape, the close box) out of the way so that the messages decide.

#include <QDialog>
#include <QEvent>

class CDialog;
class QPushButton;
class QLineEdit;

namespace afx {

class DialogWidget final : public QDialog {
 public:
  DialogWidget(QWidget* parent, CDialog* owner, Qt::WindowFlags flags);
  ~DialogWidget() override;

  /// The window is going away: no more messages from this widget.
  void Detach() { owner_ = nullptr; }
  CDialog* Owner() const { return owner_; }

  /// Routes the control's Qt signals and events to the window's messages.
  void WatchButton(QPushButton* button, int id);
  void WatchEdit(QLineEdit* edit, int id);

  /// Gives `focused` the default button's look, as the platform does for the push
  /// button with the focus; nullptr: the template's default button, if any, gets it.
  void ShowAsDefault(QPushButton* focused);

  /// The event that carries a pending paint through the event loop.
  static QEvent::Type PaintRequestEvent();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  CDialog* owner_;
};

}  // namespace afx
