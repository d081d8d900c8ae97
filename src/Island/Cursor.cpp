#include "Island/Cursor.h"

namespace vesk {

namespace {
Qt::CursorShape currentShape = Qt::ArrowCursor;
}

void Cursor::set(Qt::CursorShape shape)
{
    currentShape = shape;
    changed()(shape);
}

Qt::CursorShape Cursor::current()
{
    return currentShape;
}

Signal<Qt::CursorShape> &Cursor::changed()
{
    static Signal<Qt::CursorShape> signal;
    return signal;
}

}  // namespace vesk
