#include "ui/popup/popup_tray.h"

#include "ui/splash/splash_pictures.h"

namespace telvo {
namespace {

QIcon TrayPicture(bool ringing) { return QIcon(DrawTelephone(QSize(64, 64), ringing)); }

QString ToolTipFor(int unseen) {
  if (unseen == 0) return QStringLiteral("Telvo Popup: no new messages");
  if (unseen == 1) return QStringLiteral("Telvo Popup: 1 message not yet seen");
  return QStringLiteral("Telvo Popup: %1 messages not yet seen").arg(unseen);
}

}  // namespace

PopupTray::PopupTray(QObject* parent) : QObject(parent) {
  menu_.setObjectName(QStringLiteral("trayMenu"));
  connect(menu_.addAction(QStringLiteral("Show messages")), &QAction::triggered, this,
          &PopupTray::showRequested);
  connect(menu_.addAction(QStringLiteral("Open Telvo")), &QAction::triggered, this,
          &PopupTray::openTelvoRequested);
  menu_.addSeparator();
  connect(menu_.addAction(QStringLiteral("Quit")), &QAction::triggered, this,
          &PopupTray::quitRequested);
  icon_.setContextMenu(&menu_);
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
      emit showRequested();
  });
  SetUnseen(0);
}

void PopupTray::SetUnseen(int unseen) {
  icon_.setIcon(TrayPicture(unseen > 0));
  icon_.setToolTip(ToolTipFor(unseen));
}

}  // namespace telvo
