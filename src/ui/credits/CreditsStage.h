#pragma once

#include <QPixmap>
#include <QRect>
#include <QRegion>

#include <vector>

#include "platform/PictureSurface.h"

// Shows the credits' blocks, lying over them, from pictures of them drawn once. The
// blocks stay where the scroll puts them (they are what screen readers read) but no
// longer paint themselves: a tick then redraws, on a surface, the rows where a block's
// lines were or are, instead of a move, a scroll and a flush for every block. The
// black between the lines stays black and is left alone.
class CreditsStage final {
public:
    // The blocks are siblings of the stage's surface, which covers their parent.
    CreditsStage(QWidget* parent, std::vector<QWidget*> blocks, const platform::PictureSurfaceMaker& makeSurface);

    // Redraws what changed since the blocks last moved.
    void follow();

private:
    struct Picture {
        QPixmap pixels;
        // Where the picture is not black, in the block's own coordinates.
        QRegion ink;
    };
    const Picture& picture(std::size_t block);

    platform::PictureSurface* m_surface;
    std::vector<QWidget*> m_blocks;
    std::vector<QRect> m_shown;
    std::vector<Picture> m_pictures;
};
