#pragma once

#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <vector>

// Shows the credits' blocks, lying over them, from pictures of them drawn once. The
// blocks stay where the scroll puts them (they are what screen readers read) but no
// longer paint themselves: a tick then costs one paint of the rows where a block's
// lines were or are, instead of a move, a scroll and a flush for every block. The
// black between the lines stays black and is left alone.
class CreditsStage final : public QWidget {
public:
    // The blocks are siblings of the stage, which covers their parent.
    CreditsStage(QWidget* parent, std::vector<QWidget*> blocks);

    // Repaints what changed since the blocks last moved.
    void follow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Picture {
        QPixmap pixels;
        // Where the picture is not black, in the block's own coordinates.
        QRegion ink;
    };
    const Picture& picture(std::size_t block);

    std::vector<QWidget*> m_blocks;
    std::vector<QRect> m_shown;
    std::vector<Picture> m_pictures;
};
