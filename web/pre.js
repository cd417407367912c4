// Runs inside the game's module, before the game starts: gives the game the
// folders it expects and fills its data folder from the browser's storage
// (storage.js).
//
// The game finds its installed files beside its own program, as on Linux:
// the program is /morvex2/bin/morvex2 and the files preloaded with the page
// are in /morvex2/share/morvex2. The player's data folder is where the game
// looks for it, ~/.local/share/morvex2 (HOME is /home/web_user); it is read
// from storage before the game starts and written back after every save
// the game flushes (platform/base/durable_files_web.cpp).
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
      } else if (morvex2Storage.keeping) {
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

// The tables and the name as the game reads them: a table of another size
// or a name file shorter than a name is read as far as it goes, as the
// desktop game does; the page says so, since a player cannot look inside
// the browser's storage.
function morvex2SayDamaged(folder) {
  var expected = { 'zyou.pod': [590, 590], 'tyuu.pod': [590, 590], 'syo.pod': [590, 590], 'zel.ini': [16, Infinity] };
  Object.keys(expected).forEach(function (name) {
    var path = folder + '/' + name;
    if (!FS.analyzePath(path).exists || !FS.isFile(FS.stat(path).mode)) return;
    var size = FS.stat(path).size;
    if (size < expected[name][0] || size > expected[name][1]) Module.morvex2StorageSays('damaged', name + ' (' + size + ' bytes)');
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
// the rarer kanji, in the site's late/ folder. The game asks for each once it
// runs, and waits for one only when it shows it before it has come. 1: here,
// in /morvex2/late; 0: coming; -1: it could not be fetched (a later ask
// fetches it again).
var morvex2LateFiles = {};
Module.morvex2LateFile = function (name) {
  if (!/^[A-Za-z0-9_-]+(\.[a-z]+)?\.late$/.test(name)) return -1;
  var state = morvex2LateFiles[name];
  if (state === 'failed') {
    delete morvex2LateFiles[name];
    return -1;
  }
  if (state === 'here') return 1;
  if (state === undefined) {
    morvex2LateFiles[name] = 'coming';
    fetch('late/' + name).then(function (answer) {
      if (!answer.ok) throw new Error('the server answered ' + answer.status);
      return answer.arrayBuffer();
    }).then(function (buffer) {
      FS.mkdirTree('/morvex2/late');
      FS.writeFile('/morvex2/late/' + name, new Uint8Array(buffer));
      morvex2LateFiles[name] = 'here';
    }).catch(function (error) {
      console.warn('late/' + name + ': ' + error.message);
      morvex2LateFiles[name] = 'failed';
    });
  }
  return 0;
};
