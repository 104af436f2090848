#include "ui/about/about_box.h"

namespace telvo {

// Stands in until the About box is built.
void ShowAboutBox(Program&, QWidget*) {}

}  // namespace telvo
