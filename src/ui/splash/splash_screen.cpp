#include "ui/splash/splash_screen.h"

namespace telvo {

// Stands in until the splash screen is built.
void ShowSplashScreen(Program&) {}

}  // namespace telvo
