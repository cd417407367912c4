# Windows (MinGW-w64, cross-built; tested under Wine): the system's side of
# the platform's interfaces. Each file here joins the library whose interface
# it implements, so that library's include roots still hold it to its own
# line of docs/layers.txt. wide_text.h, the UTF-16 that the system's wide (W)
# calls take, is this folder's own: only the libraries given its files see it.
# The top CMakeLists.txt includes this once every library and the program are
# made; what the whole build needs set before them (the Windows version, the
# wide calls, the features a Windows build leaves out) stays there.
set(morvex2_windows ${CMAKE_CURRENT_LIST_DIR})
morvex2_folder_root(platform/windows morvex2_windows_root)
foreach(library morvex2_platform_base morvex2_platform_net morvex2_platform_sdl)
  target_include_directories(${library} PRIVATE ${morvex2_windows_root})
endforeach()

# The command line's words in UTF-8, the clocks and their wait, where the
# log's lines go (and morvex2.log in the data folder), the files and folders,
# the player's language and folders, the code page of the game's texts, and
# the wide text itself.
target_sources(morvex2_platform_base PRIVATE
  ${morvex2_windows}/arguments_windows.cpp
  ${morvex2_windows}/clock_windows.cpp
  ${morvex2_windows}/console_windows.cpp
  ${morvex2_windows}/files_windows.cpp
  ${morvex2_windows}/language_windows.cpp
  ${morvex2_windows}/shift_jis_windows.cpp
  ${morvex2_windows}/user_folders_windows.cpp
  ${morvex2_windows}/wide_text_windows.cpp
)
# SHGetKnownFolderPath and CommandLineToArgvW; CoTaskMemFree.
target_link_libraries(morvex2_platform_base PUBLIC shell32 ole32)

# WinHTTP, each request on a thread of its own.
target_sources(morvex2_platform_net PRIVATE ${morvex2_windows}/http_client_windows.cpp)
find_package(Threads REQUIRED)
target_link_libraries(morvex2_platform_net PUBLIC winhttp Threads::Threads)

# The priority of the thread that makes tunes' renderings in the cache. A
# cross build takes its renderings from the build machine and has no such
# thread, so the linker leaves this out of the game there.
target_sources(morvex2_platform_tunes PRIVATE ${morvex2_windows}/thread_priority_windows.cpp)

# The fatal-error box, the system's own (MessageBoxW), which also warns the
# player of a result that could not be saved. The system's windows.h, which it
# needs, and the game's own Win32 face, which the host's other files use, name
# the same types, so it is compiled alone.
target_sources(morvex2_platform_sdl PRIVATE ${morvex2_windows}/error_box_windows.cpp)
set_source_files_properties(${morvex2_windows}/error_box_windows.cpp
                            TARGET_DIRECTORY morvex2_platform_sdl
                            PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)

# A window program (no console of its own); the icon, the version and the
# manifest as resources of the executable.
set_target_properties(morvex2 PROPERTIES WIN32_EXECUTABLE ON)
configure_file(${PROJECT_SOURCE_DIR}/resources/morvex2.rc.in
               ${PROJECT_BINARY_DIR}/generated/morvex2.rc @ONLY)
target_sources(morvex2 PRIVATE ${PROJECT_BINARY_DIR}/generated/morvex2.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/generated/morvex2.rc PROPERTIES
                            OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/resources/morvex2.manifest)
