// Callback helpers and key codes.
#include "ui/callback.h"

#include <Qt>

namespace velt {

SetGet bindVar(Value& var)
{
    return [&var](std::optional<Value> v) {
        if (v) var = *v;
        return var;
    };
}

int vk::fromQtKey(int k)
{
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return Return;
    case Qt::Key_Shift: return Shift;
    case Qt::Key_Control: return Control;
    case Qt::Key_Alt: return Menu;
    case Qt::Key_Escape: return Escape;
    case Qt::Key_Space: return Space;
    case Qt::Key_PageUp: return PageUp;
    case Qt::Key_PageDown: return PageDown;
    case Qt::Key_End: return End;
    case Qt::Key_Home: return Home;
    case Qt::Key_Left: return Left;
    case Qt::Key_Up: return Up;
    case Qt::Key_Right: return Right;
    case Qt::Key_Down: return Down;
    case Qt::Key_Insert: return Insert;
    case Qt::Key_Delete: return Delete;
    default: return 0;
    }
}

} // namespace velt
