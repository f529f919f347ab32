#include "grids/SortMarkers.h"

void SortMarkers::setColumnCount(int count) {
    m_markers = QVector<Marker>(count, NoMarker);
    m_pending = false;
    emit markersChanged();
}

SortMarkers::Marker SortMarkers::marker(int column) const {
    return column >= 0 && column < m_markers.size() ? m_markers.at(column) : NoMarker;
}

void SortMarkers::plainClick(int column) {
    if (column < 0 || column >= m_markers.size())
        return;
    const Marker next = m_markers.at(column) == Down ? Up : Down;
    m_markers.fill(NoMarker);
    m_markers[column] = next;
    m_pending = false;
    emit markersChanged();
    emit announced();
}

void SortMarkers::ctrlClick(int column) {
    if (column < 0 || column >= m_markers.size())
        return;
    Marker& marker = m_markers[column];
    marker = marker == NoMarker ? Down : marker == Down ? Up : NoMarker;
    m_pending = true;
    emit markersChanged();
}

void SortMarkers::ctrlReleased() {
    if (!m_pending)
        return;
    m_pending = false;
    emit announced();
}
