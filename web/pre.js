// Runs inside the game's module, before the game starts: gives the game the
// folders it expects and keeps the player's data folder in IndexedDB.
//
// The game finds its installed files beside its own program, as on Linux:
// the program is /morvex2/bin/morvex2 and the files preloaded with the page
// are in /morvex2/share/morvex2. The player's data folder is where the game
// looks for it, ~/.local/share/morvex2 (HOME is /home/web_user); it is read
// back from IndexedDB before the game starts and copied there after every
// file the game flushes (platform/base/durable_files_web.cpp).
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var dataFolder = '/home/web_user/.local/share/morvex2';
  Module.morvex2DataFolder = dataFolder;
  FS.mkdirTree('/morvex2/bin');
  FS.symlink('/morvex2/bin/morvex2', '/proc/self/exe');
  // SDL takes keys only from the canvas, and only while it has the focus.
  ENV.SDL_EMSCRIPTEN_KEYBOARD_ELEMENT = '#canvas';
  FS.mkdirTree(dataFolder);
  FS.mount(IDBFS, {}, dataFolder);
  addRunDependency('morvex2-data-folder');
  FS.syncfs(true, function (error) {
    if (error && Module.morvex2StorageFailed) Module.morvex2StorageFailed(String(error));
    removeRunDependency('morvex2-data-folder');
  });

  // One copy at a time; flushes during a copy ask for one more after it.
  var copying = false;
  var wanted = false;
  function copy() {
    wanted = false;
    copying = true;
    FS.syncfs(false, function (error) {
      copying = false;
      if (error) {
        if (Module.morvex2StorageFailed) Module.morvex2StorageFailed(String(error));
      } else if (Module.morvex2StorageKept) {
        Module.morvex2StorageKept();
      }
      if (wanted) copy();
    });
  }
  Module.morvex2KeepFiles = function () {
    if (wanted) return;
    wanted = true;
    if (!copying) setTimeout(copy, 0);
  };
});

// For the page: the player's files to download, a replay to watch.
Module.morvex2ReadDataFile = function (name) {
  try {
    return FS.readFile(Module.morvex2DataFolder + '/' + name);
  } catch (e) {
    return null;
  }
};
// The game's own call, made straight: ccall would wait for the game's sleep to end.
Module.morvex2SetPlayerName = function (name) {
  var text = allocateUTF8(name);
  var error = UTF8ToString(Module._morvex2_set_player_name(text));
  _free(text);
  return error;
};
Module.morvex2WriteFile = function (path, bytes) {
  FS.writeFile(path, bytes);
};
