# The screen of the platform layer: DirectDraw-shaped surfaces, GDI text and
# pictures on them, the font, the video outputs, PNG files and message boxes.
# Included from platform/CMakeLists.txt.
find_package(PNG REQUIRED)
target_sources(morvex2_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ddraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/written_areas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gdi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_strips.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video.cpp
  ${CMAKE_CURRENT_LIST_DIR}/offscreen_video.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_video.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_shared_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
  # Made from Unifont at build time by tools/gen_font_table.
  ${PROJECT_BINARY_DIR}/generated/font_table.cpp
)
add_dependencies(morvex2_platform morvex2_font_table)
target_link_libraries(morvex2_platform PRIVATE PNG::PNG)
