#pragma once
// How the message pad reads a person's alert and shows the alert window.
// The pad goes through these two calls only, so a test can stand in for the
// alert file and the window.

#include <QWidget>
#include <functional>

#include "core/program.h"
#include "service/alert_file.h"
#include "ui/alert/alert_window.h"

namespace telvo {

struct PadAlerts {
  std::function<AlertRead(Program&, int person)> read = ReadAlert;
  // `standIn`: the name the alert gives to deliver to instead, "" for none.
  std::function<AlertChoice(Program&, int person, AlertUse use, const std::string& text,
                            const std::string& standIn, QWidget* parent)>
      show = ShowAlertWindow;
};

}  // namespace telvo
