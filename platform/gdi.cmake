# Device contexts, pens and surfaces. Qt Gui only, no widgets: pictures can be drawn
# without a window.
add_library(vendrel_gdi STATIC
  types.h
  gdi.h gdi.cpp
)
target_include_directories(vendrel_gdi PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vendrel_gdi PUBLIC Qt6::Gui)
