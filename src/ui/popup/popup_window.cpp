#include "ui/popup/popup_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace telvo {
namespace {

// "Message from SENDER to COMPUTER   3:04 PM" above the message's text.
QString ItemText(const PopupMessage& message) {
  return QStringLiteral("Message from %1 to %2   %3\n%4")
      .arg(message.sender, message.computer, message.arrived, message.text);
}

}  // namespace

// An ordinary window, not one kept above the rest: it comes to the front when
// messages arrive and may then be covered like any other, so it never hides
// the buttons of the window someone is working in.
PopupWindow::PopupWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("popupWindow"));
  setWindowTitle(QStringLiteral("Telvo Popup"));
  // Arriving messages must not steal the keyboard from someone typing.
  setAttribute(Qt::WA_ShowWithoutActivating);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("messageList"));
  list_->setWordWrap(true);
  list_->setUniformItemSizes(false);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setAlternatingRowColors(true);
  list_->setSpacing(2);
  hide_ = new QPushButton(QStringLiteral("&Hide"), this);
  hide_->setObjectName(QStringLiteral("hideButton"));
  quit_ = new QPushButton(QStringLiteral("&Quit"), this);
  quit_->setObjectName(QStringLiteral("quitButton"));
  connect(hide_, &QPushButton::clicked, this, &QWidget::hide);
  connect(quit_, &QPushButton::clicked, this, &PopupWindow::quitRequested);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(hide_);
  buttons->addWidget(quit_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(440, 320);
}

void PopupWindow::AddMessages(const std::vector<PopupMessage>& messages) {
  if (messages.empty()) return;
  list_->setUpdatesEnabled(false);
  // A batch larger than the list shows only its newest messages.
  const size_t first = messages.size() > static_cast<size_t>(kMaxPopupMessages)
                           ? messages.size() - kMaxPopupMessages
                           : 0;
  for (size_t i = first; i < messages.size(); ++i)
    list_->insertItem(0, new QListWidgetItem(ItemText(messages[i])));  // plain text, always
  while (list_->count() > kMaxPopupMessages) delete list_->takeItem(list_->count() - 1);
  list_->setUpdatesEnabled(true);
  list_->scrollToTop();
  SetUnseen(isActiveWindow() ? 0 : unseen_ + static_cast<int>(messages.size()));
  PlaceOnFirstShow();
  show();
  raise();
}

void PopupWindow::ShowMessages() {
  PlaceOnFirstShow();
  show();
  raise();
  activateWindow();
  SetUnseen(0);
}

bool PopupWindow::event(QEvent* event) {
  // Messages count as seen once the person turns to the window.
  if (event->type() == QEvent::WindowActivate) SetUnseen(0);
  return QWidget::event(event);
}

void PopupWindow::closeEvent(QCloseEvent* event) {
  // Closing only hides: the listener keeps running for the next message.
  event->ignore();
  hide();
}

void PopupWindow::SetUnseen(int unseen) {
  if (unseen == unseen_) return;
  unseen_ = unseen;
  emit unseenChanged(unseen_);
}

void PopupWindow::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  // The top right corner, out of the way of the work in the middle.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.right() - width() - 16, area.top() + 16);
  }
}

}  // namespace telvo
