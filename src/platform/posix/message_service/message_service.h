// Stand-in for the window system's posted-message queue on the native build.
// One instance is shared by the plug-in and the host (a shared library), as
// both share user32 on Windows. The host drains it on its user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef std::intptr_t (*rb_window_procedure)(void* context, void* window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam);

// A new window handle whose messages go to procedure(context, ...); null when
// out of memory. A null procedure makes a window that only parents others (a
// host's main window).
void* rb_create_window(void* parent, rb_window_procedure procedure, void* context);
// Destroys the window and its children, each told WM_DESTROY and WM_NCDESTROY
// at once; messages still queued for them are dropped.
void rb_destroy_window(void* window);
// Queues a message; 0 when the window does not exist.
int rb_post_message(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
// Delivers every message queued so far, in posting order; returns how many.
std::size_t rb_dispatch_messages(void);
// Messages waiting in the queue.
std::size_t rb_pending_messages(void);

// The host's message loop sees every posted message before it is delivered,
// as a Windows loop does between GetMessage and DispatchMessage. A null
// observer removes it.
typedef void (*rb_message_observer)(void* context, void* window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam);
void rb_set_message_observer(rb_message_observer observer, void* context);
}
