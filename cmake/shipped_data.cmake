# The files the game copies into each player's data folder, as installed
# (cmake/install.cmake) and as the browser's page carries them (web/).
set(morvex2_shipped_data
  ${PROJECT_SOURCE_DIR}/data/music1.mid
  ${PROJECT_SOURCE_DIR}/data/music2.mid
  ${PROJECT_SOURCE_DIR}/data/Clap.wav
  ${PROJECT_SOURCE_DIR}/data/zyou.pod
  ${PROJECT_SOURCE_DIR}/data/tyuu.pod
  ${PROJECT_SOURCE_DIR}/data/syo.pod
  ${PROJECT_SOURCE_DIR}/data/zel.ini)
