// The window's small pictures, drawn rather than shipped so they stay crisp at any scale.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kavu {

/// 12 x 14 page with lines of text: Keep. The grey version is for the disabled button.
QPixmap KeepPicture(bool enabled);
/// 12 x 14 blank page with a folded corner: Clear.
QPixmap ClearPicture(bool enabled);
/// 16 x 16 grid of 3 x 3 cells with one cell filled (1 top-left, 5 centre, 9 bottom-right).
QPixmap GridPicture(int cell);
/// The program's icon, 16 x 16 and 32 x 32: a sheet with its grid and a marked point.
QIcon ProgramIcon();
/// An icon for a picture button: the picture, and its grey version for the disabled state.
QIcon ButtonIcon(const QPixmap& normal, const QPixmap& disabled);

} // namespace kavu
