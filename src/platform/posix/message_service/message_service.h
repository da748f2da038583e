// Stand-in for the window system's posted-message queue on the native build.
// One instance is shared by the plug-in and the host (a shared library), as
// both share user32 on Windows. The host drains it on its user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef std::intptr_t (*rb_window_procedure)(void* context, void* window, std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t lParam);

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

// Calls the window's procedure at once on the caller's thread, as SendMessage
// does; 0 when the window does not exist.
std::intptr_t rb_send_message(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// What a window shows, kept for those who cannot see it: named, indexed items
// of a value and a text, set by the window's owner code and read by the host
// (a title, rows of a list, a button's state). They go with the window.
void rb_set_window_item(void* window, const char* name, std::int32_t index, std::intptr_t value, const char* text);
// Removes every item of name.
void rb_clear_window_items(void* window, const char* name);
// 1 and the item's value and text (cut to size) when it exists, else 0.
int rb_get_window_item(void* window, const char* name, std::int32_t index, std::intptr_t* value, char* text,
                       std::size_t size);
// Items of name: one more than the highest index, 0 when none.
std::int32_t rb_count_window_items(void* window, const char* name);
// The first window created that holds an item of name; null when none does.
void* rb_find_window_with_item(const char* name);

// The host's message loop sees every posted message before it is delivered,
// as a Windows loop does between GetMessage and DispatchMessage. A null
// observer removes it.
typedef void (*rb_message_observer)(void* context, void* window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam);
void rb_set_message_observer(rb_message_observer observer, void* context);

// Modal user interface without a screen: message boxes and dialogs that a
// window would show are described here and handed to the host's handler,
// which answers for the person at the keyboard. Texts are valid during the
// call only.
enum rb_dialog_kind : std::uint32_t {
  RB_DIALOG_MESSAGE_BOX = 1,  // text, caption, style (MB_* flags); answer: an ID* value
  RB_DIALOG_MESSAGE = 2,      // a tape's message: text, value = block index, style = seconds shown
  RB_DIALOG_CHOICE = 3,       // a list to choose from: items; answer: the index chosen, or -1 for Cancel
  RB_DIALOG_OPEN_FILE = 4,    // a file to open: text = suggested folder, caption = filter; answer: 1 when
                              // the handler wrote a path into buffer (bufferSize bytes), else 0
};

typedef struct rb_dialog {
  std::uint32_t kind;
  void* owner;
  const char* caption;
  const char* text;
  std::uint32_t style;
  std::int32_t value;
  const char* const* items;
  std::uint32_t itemCount;
  char* buffer;
  std::uint32_t bufferSize;
  std::intptr_t defaultAnswer;  // the answer when no handler is set
} rb_dialog;

typedef std::intptr_t (*rb_dialog_handler)(void* context, const rb_dialog* dialog);
// Installs the host's handler; a null handler removes it.
void rb_set_dialog_handler(rb_dialog_handler handler, void* context);
// Asks the handler (without holding any lock, so it may dispatch messages);
// dialog->defaultAnswer when none is set.
std::intptr_t rb_show_dialog(const rb_dialog* dialog);
}
