#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>
#include <QVector>

// A panel whose children sit at fixed positions laid out for a panel of a design width, and
// follow its right edge as their anchors say when the panel is wider or narrower.
class AnchorPanel : public QFrame {
    Q_OBJECT
public:
    enum Anchor { Left = 1, Right = 2, LeftRight = Left | Right };

    AnchorPanel(int designWidth, QWidget* parent);

    // Left: keeps its position. Right: keeps its distance to the right edge. LeftRight:
    // stretches with the panel.
    void place(QWidget* child, const QRect& designRect, Anchor anchor = Left);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> child;
        QRect designRect;
        Anchor anchor;
    };

    void apply(const Entry& entry) const;

    int m_designWidth;
    QVector<Entry> m_entries;
};
