// Runs inside the game's module, before the game starts: gives the game the
// folders it expects and fills its data folder from the browser's storage
// (storage.js).
//
// The game finds its installed files beside its own program, as on Linux:
// the program is /morvex2/bin/morvex2 and the files preloaded with the page
// are in /morvex2/share/morvex2. The player's data folder is where the game
// looks for it, ~/.local/share/morvex2 (HOME is /home/web_user); it is read
// from storage before the game starts and written back after every save
// the game flushes (platform/web/durable_files_web.cpp).
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var dataFolder = '/home/web_user/.local/share/morvex2';
  Module.morvex2DataFolder = dataFolder;
  FS.mkdirTree('/morvex2/bin');
  FS.symlink('/morvex2/bin/morvex2', '/proc/self/exe');
  // SDL takes keys only from the canvas, and only while it has the focus.
  ENV.SDL_EMSCRIPTEN_KEYBOARD_ELEMENT = '#canvas';
  FS.mkdirTree(dataFolder);
  addRunDependency('morvex2-data-folder');
  morvex2StorageStart(dataFolder, function () {
    morvex2SayDamaged(dataFolder);
    removeRunDependency('morvex2-data-folder');
  });

  // One save at a time; flushes during a save ask for one more after it.
  var saving = false;
  var wanted = false;
  function save() {
    wanted = false;
    saving = true;
    morvex2StorageSave(dataFolder, function (error) {
      saving = false;
      if (error) {
        Module.morvex2StorageSays('failed', describe(error));
      } else if (morvex2Storage.db) {
        Module.morvex2StorageSays('kept');
      }
      if (wanted) save();
    });
  }
  Module.morvex2SaveFiles = function () {
    if (wanted) return;
    wanted = true;
    if (!saving) setTimeout(save, 0);
  };
});

// The tables and the name as the game reads them: a table of another size,
// or of bytes no game wrote, or a name file shorter than a name is read as
// far as it goes, as the desktop game does; the page says so, since a player
// cannot look inside the browser's storage.
function morvex2SayDamaged(folder) {
  var expected = { 'zyou.pod': [590, 590], 'tyuu.pod': [590, 590], 'syo.pod': [590, 590], 'zel.ini': [16, Infinity] };
  Object.keys(expected).forEach(function (name) {
    var path = folder + '/' + name;
    if (!FS.analyzePath(path).exists || !FS.isFile(FS.stat(path).mode)) return;
    var size = FS.stat(path).size;
    if (size < expected[name][0] || size > expected[name][1]) {
      Module.morvex2StorageSays('damaged', name + ' (' + size + ' bytes)');
    } else if (/\.pod$/.test(name)) {
      var junk = morvex2Table.junk(FS.readFile(path));
      if (junk) Module.morvex2StorageSays('damaged', name + ' (' + junk + ')');
    }
  });
}

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

// The files the game takes after its first frame (platform/base/late_files.h):
// the pictures of the levels and of the high-score tables and the glyphs of
// the kanji the game's own texts do not use, in the site's late/ folder, and the tunes' renderings, in
// its tunes/ folder. The game asks for the pictures as it starts and for the
// tunes once its sound starts, after the first frame, and waits for a picture
// only when it must show it before it has come. One file at a time, in the
// order the game asks, so that the first comes as soon as it can.
// 1: here, at `path`; 0: coming; -1: it could not be fetched. A file asked
// for again after that, or whose copy the game found damaged and removed, is
// fetched anew.
var morvex2LateFiles = new Map();  // by name: coming, here or failed
Module.morvex2LateComing = Promise.resolve();  // every file asked for so far
Module.morvex2LateFile = function (name, path) {
  if (!/^(late\/[A-Za-z0-9_-]+(\.[a-z]+)?\.late|tunes\/[0-9a-f]+-[0-9]+\.tune)$/.test(name)) return -1;
  var state = morvex2LateFiles.get(name);
  if (state === 'failed') {
    morvex2LateFiles.delete(name);
    return -1;
  }
  if (state === 'here' && FS.analyzePath(path).exists) return 1;
  if (state !== 'coming') {
    morvex2LateFiles.set(name, 'coming');
    Module.morvex2LateComing = Module.morvex2LateComing.then(function () {
      return fetch(name).then(function (answer) {
        if (!answer.ok) throw new Error('the server answered ' + answer.status);
        return answer.arrayBuffer();
      }).then(function (buffer) {
        FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
        FS.writeFile(path, new Uint8Array(buffer));
        morvex2LateFiles.set(name, 'here');
      }).catch(function (error) {
        console.warn(name + ': ' + error.message);
        morvex2LateFiles.set(name, 'failed');
        if (Module.morvex2LateFileFailed) Module.morvex2LateFileFailed(name, error);
      }).then(Module.morvex2LateNews);
    });
  }
  return 0;
};
// A late file came or failed, or a tune's samples: the game looks at its next
// turn, and is woken for it now. A hidden page wakes nothing: the game takes
// it up once it is shown.
Module.morvex2LateNews = function () {
  Module.morvex2LateArrived = true;
  if (document.hidden) return;
  setTimeout(function () {
    if (Module.morvex2WakeForInput) Module.morvex2WakeForInput();
  }, 0);
};
