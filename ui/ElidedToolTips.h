#pragma once

class QAbstractItemView;

/// Hovering a cell whose text does not fit its column shows the whole text in a tooltip. Elsewhere the
/// view's own tooltip, if any, shows as before.
void ShowElidedTextAsToolTip(QAbstractItemView* view);
