# The browser (emscripten): the page's side of the platform's interfaces.
# Each file here joins the library whose interface it implements, so that
# library's include roots still hold it to its own line of docs/layers.txt.
# The top CMakeLists.txt includes this once every library is made; the page
# itself (its HTML, scripts and the files it carries) is web/CMakeLists.txt's.
set(morvex2_web ${CMAKE_CURRENT_LIST_DIR})

# How files outlast the page (IndexedDB), the files fetched after the first
# frame, the code page through the browser's own decoder, and the wait that
# hands the page back to the browser.
target_sources(morvex2_platform_base PRIVATE
  ${morvex2_web}/durable_files_web.cpp
  ${morvex2_web}/late_files_web.cpp
  ${morvex2_web}/shift_jis_web.cpp
  ${morvex2_web}/sleep_web.cpp
)

# The browser's fetch. The fetch library's own cache in IndexedDB stays out:
# it opens a database before the game may start, so a storage that fails or
# never answers (which the page copes with for the data folder) kept the game
# from starting.
target_sources(morvex2_platform_net PRIVATE ${morvex2_web}/http_client_web.cpp)
target_link_options(morvex2_platform_net PUBLIC -sFETCH=1 -sFETCH_SUPPORT_INDEXEDDB=0)

# The page's canvas, its wait for input, and the tunes' renderings, fetched
# after the first frame and decoded by the browser.
target_sources(morvex2_platform_sdl PRIVATE
  ${morvex2_web}/input_wait_web.cpp
  ${morvex2_web}/late_renderings_web.cpp
  ${morvex2_web}/window_surface_web.cpp
)

# What the page asks of the running game. It sets the player's name through
# the tables' own code, which the platform may not include, so it is the
# program's and stays in app/.
target_sources(morvex2_app PRIVATE ${PROJECT_SOURCE_DIR}/app/page_calls_web.cpp)
