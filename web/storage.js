// Runs inside the game's module, before the game starts: keeps the player's
// data folder (tables, zel.ini, replays) in the browser's IndexedDB.
//
// The folder is read from storage into memory before the game starts, and
// each file the game changed is written back after it flushes. Records are
// kept as earlier builds kept them (database and store named as then, one
// record per file: { timestamp, mode, contents }), so a player's scores
// survive an update.
//
// Only one tab keeps the folder: it holds the lock "morvex2-data-folder"
// (Web Locks). Another tab reads the folder, plays, and writes nothing,
// since its copy of a table would overwrite results entered meanwhile in
// the first; it says so and may take the folder over, which reloads it with
// the first tab's latest files. Whatever goes wrong (no IndexedDB, a storage
// that never answers, a damaged record, a full quota) is said on the page
// (Module.morvex2StorageSays), and the game plays on in memory.
var morvex2Storage = {
  // true while this tab holds the lock and the database is open
  keeping: false,
  db: null,
  // path -> 'size:mtime' of each file as last read from or written to storage
  stored: new Map(),
};

Module.morvex2StorageSays = Module.morvex2StorageSays || function () {};

function morvex2StorageStart(folder, done) {
  var storage = morvex2Storage;
  var say = function (kind, detail) { Module.morvex2StorageSays(kind, detail || ''); };
  var finished = false;
  function finish() {
    if (finished) return;
    finished = true;
    done();
  }
  // A storage that never answers must not keep the game from starting.
  var patience = setTimeout(function () {
    say('no-answer');
    finish();
  }, Module.morvex2StoragePatienceMs || 5000);
  function finishAfterLoad() {
    clearTimeout(patience);
    finish();
  }

  var idb = null;
  try {
    idb = typeof indexedDB !== 'undefined' ? indexedDB : null;
  } catch (error) {
    idb = null;  // a browser that forbids storage throws on the mere look
  }
  if (!idb) {
    say('unavailable');
    finishAfterLoad();
    return;
  }

  function open(holdsLock) {
    var request;
    try {
      request = idb.open(folder, 21);
    } catch (error) {
      say('unavailable', String(error && error.message || error));
      finishAfterLoad();
      return;
    }
    request.onupgradeneeded = function () {
      var db = request.result;
      var files = db.objectStoreNames.contains('FILE_DATA')
        ? request.transaction.objectStore('FILE_DATA') : db.createObjectStore('FILE_DATA');
      if (!files.indexNames.contains('timestamp')) files.createIndex('timestamp', 'timestamp', { unique: false });
    };
    request.onerror = function (event) {
      event.preventDefault();
      say('unavailable', describe(request.error));
      finishAfterLoad();
    };
    request.onsuccess = function () {
      var db = request.result;
      load(db, function () {
        if (finished) {
          // Too late for this start: the game already runs without these files.
          db.close();
          return;
        }
        storage.db = db;
        storage.keeping = holdsLock;
        finishAfterLoad();
      });
    };
  }

  // Every record that can be a file of the folder is made one; any other is
  // left in storage untouched and said, and the rest are read all the same.
  function load(db, loaded) {
    var cursor;
    try {
      cursor = db.transaction(['FILE_DATA'], 'readonly').objectStore('FILE_DATA').openCursor();
    } catch (error) {
      say('unavailable', describe(error));
      loaded();
      return;
    }
    cursor.onerror = function (event) {
      event.preventDefault();
      say('unavailable', describe(cursor.error));
      loaded();
    };
    cursor.onsuccess = function () {
      var at = cursor.result;
      if (!at) {
        loaded();
        return;
      }
      var problem = placeRecord(String(at.key), at.value);
      if (problem) say('set-aside', problem);
      at.continue();
    };
  }

  function placeRecord(path, record) {
    var name = path.slice(folder.length + 1);
    if (path.indexOf(folder + '/') !== 0 || !name || name.split('/').indexOf('..') >= 0) {
      return path + ': not a file of the data folder';
    }
    if (!record || typeof record !== 'object' || typeof record.mode !== 'number') {
      return name + ': not a stored file';
    }
    // The game keeps no folders in its data folder: one is where a file was.
    if (FS.isDir(record.mode)) return name + ': a folder is in its place';
    if (!FS.isFile(record.mode)) return name + ': not a stored file (mode ' + record.mode + ')';
    var contents = record.contents;
    if (contents instanceof ArrayBuffer) contents = new Uint8Array(contents);
    if (!(contents instanceof Uint8Array)) return name + ': a file without contents';
    var when = record.timestamp instanceof Date ? record.timestamp.getTime() : Number(record.timestamp);
    try {
      FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      if (FS.analyzePath(path).exists && FS.isDir(FS.stat(path).mode)) return name + ': a folder is in its place';
      FS.writeFile(path, contents);
      if (isFinite(when)) FS.utime(path, when, when);
    } catch (error) {
      return name + ': ' + describe(error);
    }
    storage.stored.set(path, fingerprint(path));
    return null;
  }

  if (!navigator.locks) {
    open(true);  // a browser without locks keeps the folder as earlier builds did
    return;
  }
  var takeOver = false;
  try {
    takeOver = sessionStorage.getItem('morvex2-take-over') === 'yes';
    sessionStorage.removeItem('morvex2-take-over');
  } catch (error) {
    // no session storage: the tab asks as usual
  }
  var options = takeOver ? { steal: true } : { ifAvailable: true };
  navigator.locks.request('morvex2-data-folder', options, function (lock) {
    if (!lock) {
      say('other-tab');
      open(false);
      return undefined;
    }
    open(true);
    // Held for as long as the page is open, or until another tab takes it.
    return new Promise(function () {});
  }).catch(function (error) {
    if (error && error.name === 'AbortError') {
      storage.keeping = false;
      say('taken-over');
    }
  });
}

function describe(error) {
  if (!error) return 'unknown error';
  return (error.name ? error.name + ': ' : '') + (error.message || String(error));
}

function fingerprint(path) {
  var stat = FS.stat(path);
  return stat.size + ':' + stat.mtime.getTime();
}

// The files of the folder now, path -> fingerprint.
function morvex2FilesNow(folder) {
  var files = new Map();
  var folders = [folder];
  while (folders.length) {
    var at = folders.pop();
    FS.readdir(at).forEach(function (entry) {
      if (entry === '.' || entry === '..') return;
      var path = at + '/' + entry;
      var mode = FS.stat(path).mode;
      if (FS.isDir(mode)) folders.push(path);
      else if (FS.isFile(mode)) files.set(path, fingerprint(path));
    });
  }
  return files;
}

// Writes what changed since the last write (and deletes what the game
// removed) in one transaction; calls back with null or the failure. What
// failed stays changed, so the next save tries it again.
function morvex2StorageSave(folder, callback) {
  var storage = morvex2Storage;
  if (!storage.keeping || !storage.db) return callback(null);
  var now = morvex2FilesNow(folder);
  var written = [];
  var removed = [];
  now.forEach(function (print, path) {
    if (storage.stored.get(path) !== print) written.push(path);
  });
  storage.stored.forEach(function (print, path) {
    if (!now.has(path)) removed.push(path);
  });
  if (!written.length && !removed.length) return callback(null);
  var answered = false;
  function answer(error) {
    if (answered) return;
    answered = true;
    clearTimeout(patience);
    callback(error);
  }
  var patience = setTimeout(function () {
    answer(new Error('the browser\'s storage did not answer'));
  }, Module.morvex2StoragePatienceMs || 5000);
  var transaction;
  try {
    transaction = storage.db.transaction(['FILE_DATA'], 'readwrite');
    var files = transaction.objectStore('FILE_DATA');
    written.forEach(function (path) {
      var stat = FS.stat(path);
      files.put({ timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path) }, path);
    });
    removed.forEach(function (path) { files.delete(path); });
  } catch (error) {
    if (transaction) transaction.abort();
    return answer(error);
  }
  transaction.oncomplete = function () {
    written.forEach(function (path) { storage.stored.set(path, now.get(path)); });
    removed.forEach(function (path) { storage.stored.delete(path); });
    answer(null);
  };
  transaction.onerror = function (event) { event.preventDefault(); };
  // A full quota aborts the transaction rather than failing one request.
  transaction.onabort = function () {
    answer(transaction.error || new Error('the save was cut short'));
  };
}
