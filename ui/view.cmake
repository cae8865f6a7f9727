# The trajectory view's drawing, free of the dialog: the dialog's paint and the command
# line's picture both draw with it.
add_library(vendrel_view STATIC
  trajectory_view.h trajectory_view.cpp
)
target_include_directories(vendrel_view PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vendrel_view PUBLIC vendrel_gdi vendrel_flight)
