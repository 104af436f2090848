#pragma once
// Stands in for the call list window until it is built: it says so, names
// whose calls were asked for, and returns to the message pad as the call
// list does when it unloads.

#include <QWidget>

#include "core/program.h"

namespace telvo {

class PlaceholderCallList : public QWidget {
  Q_OBJECT

 public:
  explicit PlaceholderCallList(Program& program, QWidget* parent = nullptr);

 signals:
  // The window has unloaded and hands over to the switch window.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Unload();

  Program& program_;
};

}  // namespace telvo
