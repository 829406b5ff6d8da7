#pragma once
#include <QIcon>

namespace kelvo6::shell {
// Drawn flag pictures for the language buttons: 1 Italian, 2 English, 3 Turkish.
QIcon flagIcon(int language);
// The product logo of the start-up window.
QPixmap logoPixmap();
}  // namespace kelvo6::shell
