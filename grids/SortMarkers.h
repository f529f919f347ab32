#pragma once

#include <QObject>
#include <QVector>

// The sort markers of a grid's column titles. They only show what the user asked for: nothing
// reorders the rows when they change.
class SortMarkers : public QObject {
    Q_OBJECT
public:
    enum Marker { NoMarker, Down, Up };

    explicit SortMarkers(QObject* parent = nullptr) : QObject(parent) {}

    void setColumnCount(int count);
    int columnCount() const { return m_markers.size(); }
    Marker marker(int column) const;

    // A plain click: the other columns lose their markers; this one steps none, down, up, down.
    void plainClick(int column);
    // A Ctrl+click: the other columns keep theirs; this one steps none, down, up, none. The
    // change is announced when Ctrl is released.
    void ctrlClick(int column);
    bool announcementPending() const { return m_pending; }
    void ctrlReleased();

signals:
    // The markers shown changed.
    void markersChanged();
    // The user's sorting request is complete.
    void announced();

private:
    QVector<Marker> m_markers;
    bool m_pending = false;
};
