#pragma once

#include <QIcon>
#include <QPixmap>

// The site tree's image list (20 x 20): 0 open folder, 1 closed folder, 2..6
// sites by login type 1..5; and the address box's go button. Drawn here rather
// than loaded, so that they need no image files or plug-ins.
namespace web {

inline constexpr int kTreeImageSize = 20;
inline constexpr int kTreeImageCount = 7;

// The image at index (0..6), drawn anew; a null pixmap for any other index.
QPixmap treeImage(int index);
// A node's icon: image for the normal state, selectedImage when selected.
QIcon nodeIcon(int image, int selectedImage);
QPixmap goButtonImage();

}  // namespace web
