// This library is built without the window toolkit so that everything in it
// runs in headless tests. A wx include path reaching it through a linked
// library would let window code creep in unnoticed: refuse to build then.
#if __has_include(<wx/defs.h>) || __has_include(<wx/wx.h>)
#error "quorvel_ui_model must build without wxWidgets headers on its include path"
#endif
