#pragma once
// The tree's pictures by the index the description and the elements give (25 the root, 1 the
// parameter tree, 2/3 a branch, 4 the instrument's network, 5 current values, 19 the program's link,
// 20 service parameters, 27 a list value, 28 a number or text, 30 a value kept only in the file,
// 49 the heading of the scanners). Drawn in code, so the program needs no image files for them.

#include <QIcon>

#include <map>

namespace zr740::ui {

class TreeIcons {
public:
    // The picture of an index; an index without a picture of its own gets the branch picture.
    const QIcon& icon(int index) const;

private:
    static QIcon draw(int index);

    mutable std::map<int, QIcon> cache_;
};

} // namespace zr740::ui
