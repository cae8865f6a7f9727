# The stand-in's windows on Qt Widgets: application, windows and dialogs built from
# templates, message maps, data exchange, menus, message boxes.

# The text of numbers in edit boxes, on its own: no Qt, so it can be fuzzed alone.
add_library(vendrel_number_text STATIC number_text.h number_text.cpp)
target_include_directories(vendrel_number_text PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(vendrel_number_text PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

add_library(vendrel_platform STATIC
  afxwin.h
  messages.h
  message_map.h cmd_target.cpp
  cstring.h menu.h
  resources.h resources.cpp
  msgbox.h msgbox.cpp
  wnd.h wnd.cpp
  dialog.h dialog.cpp dialog_widget.h
  dialog_font.h dialog_font.cpp
  data_exchange.h data_exchange.cpp
  app.h app.cpp
)
target_include_directories(vendrel_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vendrel_platform PUBLIC vendrel_gdi vendrel_number_text Qt6::Widgets)
set_target_properties(vendrel_platform PROPERTIES AUTOUIC OFF AUTORCC OFF)
