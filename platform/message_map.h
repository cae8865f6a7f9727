#pragma once
// Command targets and their message maps: static tables of (message, notification
// code, control id, handler), each chained to its base class's table. A handler is
// reached through a small thunk that calls the member function with the message's
// arguments unpacked, so every entry is type-checked where it is written.

#include "platform/messages.h"

class CCmdTarget;

using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  ///< 0 with a null handler ends the table
  UINT nCode;     ///< notification code of WM_COMMAND, else 0
  UINT nID;       ///< control or command id of WM_COMMAND, else 0
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;

  /// Runs the handler this target's map (or a base class's) has for the command;
  /// FALSE when there is none.
  virtual BOOL OnCmdMsg(UINT nID, UINT nCode, LPARAM lParam);

  /// The first entry for the message along the map chain, or nullptr.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                               \
 protected:                                                 \
  static const AFX_MSGMAP* GetThisMessageMap();             \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
    using ThisClass = theClass;                                                  \
    using TheBaseClass = baseClass;                                              \
    static_assert(sizeof(ThisClass) > 0);                                        \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                        \
    {0, 0, 0, nullptr}};                                                         \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,      \
                                          &_messageEntries[0]};                  \
    return &messageMap;                                                          \
  }

#define AFX_THUNK(call)                                                          \
  [](CCmdTarget* afxTarget, WPARAM wParam, LPARAM lParam) -> LRESULT {           \
    (void)wParam;                                                                \
    (void)lParam;                                                                \
    auto* self = static_cast<ThisClass*>(afxTarget);                             \
    call;                                                                        \
  }

/// A command or a control's notification: `fn()`.
#define ON_CONTROL(code, id, fn) \
  {WM_COMMAND, (code), static_cast<UINT>(id), AFX_THUNK(self->fn(); return 0)},
#define ON_COMMAND(id, fn) ON_CONTROL(CN_COMMAND, id, fn)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)

#define ON_WM_PAINT() {WM_PAINT, 0, 0, AFX_THUNK(self->OnPaint(); return 0)},
#define ON_WM_TIMER() \
  {WM_TIMER, 0, 0, AFX_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0)},
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0,    \
   AFX_THUNK(self->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0)},
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0,    \
   AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))},
