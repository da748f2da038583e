#include "platform/posix/message_service/message_service.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#define RB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_NCDESTROY = 0x0082;

struct Item {
  std::intptr_t value;
  std::string text;
};

using ItemTable = std::map<std::string, std::map<std::int32_t, Item>>;

struct WindowEntry {
  void* parent;
  rb_window_procedure procedure;
  void* context;
  ItemTable items;
};

struct Message {
  void* window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// The window system's state: one per process, like user32's.
struct MessageService {
  std::mutex lock;
  std::unordered_map<void*, WindowEntry> windows;
  std::deque<Message> queue;
  std::uintptr_t nextHandle = 0x10000;
  rb_message_observer observer = nullptr;
  void* observerContext = nullptr;
  rb_dialog_handler dialogHandler = nullptr;
  void* dialogContext = nullptr;
};

MessageService& Service() {
  static MessageService service;
  return service;
}

}  // namespace

RB_EXPORT void* rb_create_window(void* parent, rb_window_procedure procedure, void* context) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  void* handle = reinterpret_cast<void*>(service.nextHandle);
  service.nextHandle += 0x10;
  service.windows[handle] = WindowEntry{parent, procedure, context, {}};
  return handle;
}

// Like DestroyWindow: children first, each told WM_DESTROY then WM_NCDESTROY
// synchronously; messages still queued for a destroyed window are dropped.
RB_EXPORT void rb_destroy_window(void* window) {
  MessageService& service = Service();
  std::vector<void*> children;
  rb_window_procedure procedure = nullptr;
  void* context = nullptr;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    auto found = service.windows.find(window);
    if (found == service.windows.end()) return;
    procedure = found->second.procedure;
    context = found->second.context;
    for (const auto& other : service.windows) {
      if (other.second.parent == window) children.push_back(other.first);
    }
  }
  for (void* child : children) rb_destroy_window(child);
  if (procedure != nullptr) {
    procedure(context, window, WM_DESTROY, 0, 0);
    procedure(context, window, WM_NCDESTROY, 0, 0);
  }
  std::lock_guard<std::mutex> guard(service.lock);
  service.windows.erase(window);
  std::deque<Message> kept;
  for (const Message& message : service.queue) {
    if (message.window != window) kept.push_back(message);
  }
  service.queue.swap(kept);
}

RB_EXPORT int rb_post_message(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  if (service.windows.count(window) == 0) return 0;
  service.queue.push_back(Message{window, message, wParam, lParam});
  return 1;
}

RB_EXPORT std::size_t rb_dispatch_messages(void) {
  MessageService& service = Service();
  std::size_t delivered = 0;
  std::size_t due;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    due = service.queue.size();
  }
  // Messages posted while these are handled wait for the next round.
  for (; due > 0; --due) {
    Message message;
    rb_window_procedure procedure;
    void* context;
    rb_message_observer observer;
    void* observerContext;
    {
      std::lock_guard<std::mutex> guard(service.lock);
      if (service.queue.empty()) break;
      message = service.queue.front();
      service.queue.pop_front();
      auto found = service.windows.find(message.window);
      if (found == service.windows.end()) continue;
      procedure = found->second.procedure;
      context = found->second.context;
      observer = service.observer;
      observerContext = service.observerContext;
    }
    if (observer != nullptr) {
      observer(observerContext, message.window, message.message, message.wParam, message.lParam);
    }
    // Called without the lock: a procedure may post or destroy windows.
    if (procedure != nullptr) procedure(context, message.window, message.message, message.wParam, message.lParam);
    ++delivered;
  }
  return delivered;
}

RB_EXPORT std::size_t rb_pending_messages(void) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  return service.queue.size();
}

RB_EXPORT void rb_set_message_observer(rb_message_observer observer, void* context) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  service.observer = observer;
  service.observerContext = context;
}

RB_EXPORT void rb_set_dialog_handler(rb_dialog_handler handler, void* context) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  service.dialogHandler = handler;
  service.dialogContext = context;
}

RB_EXPORT std::intptr_t rb_show_dialog(const rb_dialog* dialog) {
  MessageService& service = Service();
  rb_dialog_handler handler;
  void* context;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    handler = service.dialogHandler;
    context = service.dialogContext;
  }
  if (handler == nullptr) return dialog->defaultAnswer;
  return handler(context, dialog);
}

RB_EXPORT std::intptr_t rb_send_message(void* window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  MessageService& service = Service();
  rb_window_procedure procedure;
  void* context;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    auto found = service.windows.find(window);
    if (found == service.windows.end()) return 0;
    procedure = found->second.procedure;
    context = found->second.context;
  }
  return procedure != nullptr ? procedure(context, window, message, wParam, lParam) : 0;
}

RB_EXPORT void rb_set_window_item(void* window, const char* name, std::int32_t index, std::intptr_t value,
                                  const char* text) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  auto found = service.windows.find(window);
  if (found == service.windows.end() || name == nullptr) return;
  found->second.items[name][index] = Item{value, text != nullptr ? text : ""};
}

RB_EXPORT void rb_clear_window_items(void* window, const char* name) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  auto found = service.windows.find(window);
  if (found != service.windows.end() && name != nullptr) found->second.items.erase(name);
}

RB_EXPORT int rb_get_window_item(void* window, const char* name, std::int32_t index, std::intptr_t* value, char* text,
                                 std::size_t size) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  auto found = service.windows.find(window);
  if (found == service.windows.end() || name == nullptr) return 0;
  auto items = found->second.items.find(name);
  if (items == found->second.items.end()) return 0;
  auto item = items->second.find(index);
  if (item == items->second.end()) return 0;
  if (value != nullptr) *value = item->second.value;
  if (text != nullptr && size > 0) {
    const std::size_t length = item->second.text.size() < size ? item->second.text.size() : size - 1;
    std::memcpy(text, item->second.text.data(), length);
    text[length] = '\0';
  }
  return 1;
}

RB_EXPORT std::int32_t rb_count_window_items(void* window, const char* name) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  auto found = service.windows.find(window);
  if (found == service.windows.end() || name == nullptr) return 0;
  auto items = found->second.items.find(name);
  if (items == found->second.items.end() || items->second.empty()) return 0;
  return items->second.rbegin()->first + 1;
}

RB_EXPORT void* rb_find_window_with_item(const char* name) {
  MessageService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  void* first = nullptr;
  for (const auto& window : service.windows) {
    const bool holds = name != nullptr && window.second.items.count(name) != 0;
    if (holds && (first == nullptr || window.first < first)) first = window.first;
  }
  return first;
}
