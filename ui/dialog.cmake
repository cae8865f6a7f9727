# The main dialog.
add_library(vendrel_ui STATIC
  simulator_dlg.h simulator_dlg.cpp
)
target_include_directories(vendrel_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vendrel_ui PUBLIC vendrel_platform vendrel_res vendrel_view
                                        vendrel_flight vendrel_about)
set_target_properties(vendrel_ui PROPERTIES AUTOMOC OFF AUTOUIC OFF)
