// Runs inside the game's module, before the game starts: keeps the player's
// data folder (tables, zel.ini, replays) in the browser's IndexedDB.
//
// The folder is read from storage into memory before the game starts, and
// each file the game changed is written back after it flushes. Records are
// kept as earlier builds kept them (database and store named as then, one
// record per file: { timestamp, mode, contents }), so a player's scores
// survive an update.
//
// Every open tab plays from its own copy of the folder, and every tab's
// results are kept. One tab keeps the folder: it holds the lock
// "morvex2-data-folder" (Web Locks), and the others wait in the lock's queue,
// so that when it closes the next one takes the folder over and says so.
// Another tab that has something to save takes the folder for the write (the
// tab it takes it from says so, and saves the same way from then on). A tab
// asks for the lock one request at a time: a save that comes while its own
// request is unanswered waits for the answer, so that the tab never takes the
// folder from itself. A tab that goes to another page lets go of the folder
// (the next tab takes it over and says so), and asks again if the browser
// brings the page back as it was (back-forward cache). Each
// save reads what is stored in the same transaction as it writes: a table
// that another tab changed since this tab last read it gets this tab's new
// entries added to the stored ones, never the stored ones overwritten. After
// each save the other tabs read the files it changed (BroadcastChannel
// "morvex2-data-folder"), so that their next game enters the table as it is.
// Earlier builds' tabs know nothing of this: the lock keeps them from
// writing over a tab of this build.
//
// Whatever goes wrong (no IndexedDB, a storage that never answers, a damaged
// record, a full quota, another page deleting the database) is said on the
// page (Module.morvex2StorageSays), and the game plays on in memory.
var morvex2Storage = {
  // true while this tab holds the lock
  keeping: false,
  // how many times this tab asked for the lock: the answer to any but the
  // last request is stale (the tab asked anew or let go since) and changes
  // nothing
  asked: 0,
  // the number of the request whose answer the saves wait for (the first
  // look, a take-over), or 0
  answering: 0,
  // the saves ({ why, then }) waiting for that answer
  afterAnswer: [],
  // lets go of the lock this tab holds
  letGo: null,
  // true while the page's line says another tab keeps the folder
  othersKeep: false,
  // true while the page is put away in the back-forward cache
  away: false,
  // the open database; null once another page deleted it or took it away
  db: null,
  // path -> 'size:mtime' of each file as last read from or written to storage
  stored: new Map(),
  // path -> contents as last read or written, for the files whose entries
  // are merged with another tab's (morvex2MergeFile)
  base: new Map(),
  // this tab's place in the lock's queue (an AbortController), while it waits
  waiting: null,
  folder: null,
  channel: null,
};

Module.morvex2StorageSays = Module.morvex2StorageSays || function () {};

function morvex2StorageStart(folder, done) {
  var storage = morvex2Storage;
  storage.folder = folder;
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
  // Another page deleting the database (or a later build upgrading it) waits
  // until every page closes it: this one lets go at once, says so, and plays
  // on with the files it holds, keeping nothing from then on. It never opens
  // the database again, which would make the deleted one anew.
  request.onblocked = function () {};
  request.onsuccess = function () {
    var db = request.result;
    db.onversionchange = function (event) {
      db.close();
      if (storage.db === db) storage.db = null;
      say(event.newVersion === null ? 'deleted' : 'newer-build');
    };
    morvex2StorageRead(db, null, function () {
      if (finished) {
        // Too late for this start: the game already runs without these files.
        db.close();
        return;
      }
      storage.db = db;
      if (!storage.away) morvex2HearOtherTabs();
      finishAfterLoad();
    });
  };

  if (!navigator.locks) {
    storage.keeping = true;  // a browser without locks keeps the folder as earlier builds did
    return;
  }
  morvex2AskForFolder(function () {});
  window.addEventListener('pagehide', morvex2PutAway);
  window.addEventListener('pageshow', function (event) {
    if (event.persisted) morvex2BroughtBack();
  });
}

// After each save of another tab, the files it changed are read.
function morvex2HearOtherTabs() {
  var storage = morvex2Storage;
  if (typeof BroadcastChannel !== 'function') return;
  storage.channel = new BroadcastChannel('morvex2-data-folder');
  storage.channel.onmessage = function (event) {
    var changed = event.data && event.data.changed;
    if (Array.isArray(changed) && storage.db) morvex2StorageRead(storage.db, changed.map(String), function () {});
  };
}

// Keeps the folder if no other tab does; else says so and waits in the queue.
function morvex2AskForFolder(granted) {
  morvex2HoldFolder({ ifAvailable: true }, granted, function () {
    morvex2Storage.othersKeep = true;
    Module.morvex2StorageSays('other-tab', '');
    morvex2WaitForFolder();
  });
}

// The page goes (closed, or to another page): the folder is let go of, for
// the next tab in the queue to take over. A page the browser keeps to bring
// back holds nothing meanwhile: not the lock, which would keep the other tabs
// waiting on a page that cannot save, nor the channel. A save on its way
// still writes.
function morvex2PutAway() {
  var storage = morvex2Storage;
  storage.away = true;
  storage.asked += 1;  // the answers still to come are stale
  if (storage.waiting) storage.waiting.abort();
  storage.waiting = null;
  if (storage.letGo) storage.letGo();
  storage.letGo = null;
  storage.keeping = false;
  morvex2Answered(storage.answering, false);
  if (storage.channel) storage.channel.close();
  storage.channel = null;
}

// The browser brings the page back as it was left, its game in play: the
// folder is asked for as at the start, and every file read again, since
// other tabs may have saved while this one was away.
function morvex2BroughtBack() {
  var storage = morvex2Storage;
  if (!storage.away) return;
  storage.away = false;
  if (storage.db) morvex2HearOtherTabs();
  morvex2AskForFolder(function () {
    // The tab the line names as keeping the scores closed meanwhile.
    if (!storage.othersKeep) return;
    storage.othersKeep = false;
    Module.morvex2StorageSays('keeping', 'closed');
  });
  if (storage.db) morvex2StorageRead(storage.db, null, function () {});
}

// Asks for the data folder's lock with `options`; `granted` runs once this tab
// holds it, `refused` when ifAvailable found it held. Held while the page is
// shown, until another tab takes it. A request that is not a place in the
// queue is answered soon: the saves that come meanwhile wait for its answer.
function morvex2HoldFolder(options, granted, refused) {
  var storage = morvex2Storage;
  var ask = ++storage.asked;
  var current = function () { return ask === storage.asked; };
  if (!options.signal) storage.answering = ask;
  navigator.locks.request('morvex2-data-folder', options, function (lock) {
    // Granted after the tab asked anew or went away: let go at once.
    if (!current()) return undefined;
    if (!lock) {
      refused();
      morvex2Answered(ask, true);
      return undefined;
    }
    var held = new Promise(function (resolve) { storage.letGo = resolve; });
    storage.keeping = true;
    granted();
    morvex2Answered(ask, true);
    return held;
  }).catch(function (error) {
    // A browser that refuses the request: the saves waiting for it write all the same.
    morvex2Answered(ask, false);
    if (!current() || !error || error.name !== 'AbortError') return;
    if (options.signal && options.signal.aborted) return;  // this tab left the queue itself
    storage.keeping = false;
    storage.letGo = null;
    storage.othersKeep = true;
    Module.morvex2StorageSays('taken-over', '');
    morvex2WaitForFolder();
  });
}

// Request `ask` is answered: the saves that waited for it go on, through the
// lock when `asLocked`, else straight to storage.
function morvex2Answered(ask, asLocked) {
  var storage = morvex2Storage;
  if (!ask || storage.answering !== ask) return;
  storage.answering = 0;
  storage.afterAnswer.splice(0).forEach(function (save) {
    if (asLocked) morvex2TakeFolder(save.why, save.then);
    else save.then();
  });
}

// In the lock's queue until the tab that keeps the folder closes.
function morvex2WaitForFolder() {
  var storage = morvex2Storage;
  var waiting = new AbortController();
  storage.waiting = waiting;
  morvex2HoldFolder({ signal: waiting.signal }, function () {
    storage.waiting = null;
    // Earlier builds' tabs say nothing of what they save: read it all.
    if (storage.db) morvex2StorageRead(storage.db, null, function () {});
    storage.othersKeep = false;
    Module.morvex2StorageSays('keeping', 'closed');
  }, function () {});
}

// Takes the folder from the tab that keeps it, now; `then` runs once it is
// this tab's. `why`: 'asked' (the player's button) or 'save'. A page put
// away saves without it.
function morvex2TakeFolder(why, then) {
  var storage = morvex2Storage;
  if (storage.keeping || !navigator.locks || storage.away) return then();
  storage.afterAnswer.push({ why: why, then: then });
  if (storage.answering) return;
  if (storage.waiting) storage.waiting.abort();
  storage.waiting = null;
  morvex2HoldFolder({ steal: true }, function () {
    storage.othersKeep = false;
    Module.morvex2StorageSays('keeping', why);
  }, function () {});
}
Module.morvex2TakeDataFolder = function () {
  morvex2TakeFolder('asked', function () {});
};

// Reads the records of `paths` (every record, when null) from storage into
// the folder, then calls `read`. A file this tab changed since it last read
// or wrote it is left as it is: its next save merges the two.
// Every record that can be a file of the folder is made one; any other is
// left in storage untouched and said, and the rest are read all the same.
function morvex2StorageRead(db, paths, read) {
  var storage = morvex2Storage;
  var say = function (kind, detail) { Module.morvex2StorageSays(kind, detail || ''); };
  var files;
  try {
    files = db.transaction(['FILE_DATA'], 'readonly').objectStore('FILE_DATA');
  } catch (error) {
    say('unavailable', describe(error));
    read();
    return;
  }
  function take(path, record) {
    var here = FS.analyzePath(path).exists ? fingerprint(path) : undefined;
    if (storage.stored.has(path) ? here !== storage.stored.get(path) : here !== undefined) return;
    if (record === undefined) {
      if (here !== undefined) FS.unlink(path);
      storage.stored.delete(path);
      storage.base.delete(path);
      return;
    }
    var problem = morvex2PlaceRecord(path, record);
    if (problem) say('set-aside', problem);
  }
  if (paths) {
    var left = paths.length;
    if (!left) read();
    paths.forEach(function (path) {
      if (path.indexOf(storage.folder + '/') !== 0) {
        if (--left === 0) read();
        return;
      }
      var get = files.get(path);
      get.onsuccess = function () {
        take(path, get.result);
        if (--left === 0) read();
      };
      get.onerror = function (event) {
        event.preventDefault();
        if (--left === 0) read();
      };
    });
    return;
  }
  var cursor = files.openCursor();
  cursor.onerror = function (event) {
    event.preventDefault();
    say('unavailable', describe(cursor.error));
    read();
  };
  cursor.onsuccess = function () {
    var at = cursor.result;
    if (!at) {
      read();
      return;
    }
    take(String(at.key), at.value);
    at.continue();
  };
}

function morvex2PlaceRecord(path, record) {
  var storage = morvex2Storage;
  var folder = storage.folder;
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
  if (morvex2Merges(path)) storage.base.set(path, contents.slice());
  return null;
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
// failed stays changed, so the next save tries it again. A tab that does not
// keep the folder takes it first.
function morvex2StorageSave(folder, callback) {
  var storage = morvex2Storage;
  if (!storage.db) return callback(null);
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
  morvex2TakeFolder('save', function () { morvex2StorageWrite(written, removed, callback); });
}

function morvex2StorageWrite(written, removed, callback) {
  var storage = morvex2Storage;
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
  if (!storage.db) return answer(null);  // deleted meanwhile: said already
  var put = new Map();  // path -> the record written
  var transaction;
  try {
    transaction = storage.db.transaction(['FILE_DATA'], 'readwrite');
    var files = transaction.objectStore('FILE_DATA');
    written.forEach(function (path) {
      var stat = FS.stat(path);
      var record = { timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path) };
      put.set(path, { record: record, print: fingerprint(path) });
      if (!morvex2Merges(path)) {
        files.put(record, path);
        return;
      }
      // What another tab stored since this one last read the file is kept.
      var get = files.get(path);
      get.onsuccess = function () {
        var theirs = get.result && get.result.contents;
        if (theirs instanceof ArrayBuffer) theirs = new Uint8Array(theirs);
        var base = storage.base.get(path) || null;
        if (theirs instanceof Uint8Array && !sameBytes(theirs, base)) {
          record.contents = morvex2MergeFile(path, base, record.contents, theirs);
        }
        files.put(record, path);
      };
    });
    removed.forEach(function (path) { files.delete(path); });
  } catch (error) {
    if (transaction) transaction.abort();
    return answer(error);
  }
  transaction.oncomplete = function () {
    put.forEach(function (written, path) {
      var record = written.record;
      // The merged file becomes this tab's too, unless the game wrote the
      // file again meanwhile: its next save merges that one.
      var print = written.print;
      if (FS.analyzePath(path).exists && fingerprint(path) === print &&
          !sameBytes(record.contents, FS.readFile(path))) {
        FS.writeFile(path, record.contents);
        var when = record.timestamp.getTime();
        FS.utime(path, when, when);
        print = fingerprint(path);
      }
      storage.stored.set(path, print);
      if (morvex2Merges(path)) storage.base.set(path, record.contents.slice());
    });
    removed.forEach(function (path) {
      storage.stored.delete(path);
      storage.base.delete(path);
    });
    if (storage.channel) storage.channel.postMessage({ changed: written.concat(removed) });
    answer(null);
  };
  transaction.onerror = function (event) { event.preventDefault(); };
  // A full quota aborts the transaction rather than failing one request.
  transaction.onabort = function () {
    answer(transaction.error || new Error('the save was cut short'));
  };
}

function sameBytes(one, other) {
  if (!one || !other || one.length !== other.length) return false;
  for (var i = 0; i < one.length; ++i) {
    if (one[i] !== other[i]) return false;
  }
  return true;
}

// --- the files two tabs may both add to
// The three tables take the new entries of each tab; the world results not
// yet sent are kept line by line. Any other file is the last tab's.
function morvex2Merges(path) {
  return /\/(zyou|tyuu|syo)\.pod$|\/world-pending\.txt$/.test(path);
}

// `mine` is this tab's file, made from `base`; `theirs` is what another tab
// stored meanwhile.
function morvex2MergeFile(path, base, mine, theirs) {
  if (/\.txt$/.test(path)) return morvex2MergeLines(base, mine, theirs);
  var table = morvex2Table;
  if (mine.length !== table.size || theirs.length !== table.size) return mine;  // a damaged table: as the game wrote it
  var before = base && base.length === table.size ? table.entries(base) : [];
  var counted = new Map();
  before.forEach(function (entry) { counted.set(entry.key, (counted.get(entry.key) || 0) + 1); });
  var merged = table.entries(theirs);
  table.entries(mine).forEach(function (entry) {
    var earlier = counted.get(entry.key) || 0;
    if (earlier > 0) {
      counted.set(entry.key, earlier - 1);
      return;
    }
    if (!entry.texts[2].length) return;  // an empty row, not an entry
    // Placed as the game places a result: below every equal score.
    for (var place = 0; place < merged.length; ++place) {
      if (merged[place].score < entry.score) {
        merged.splice(place, 0, entry);
        merged.length = table.rows;
        return;
      }
    }
  });
  return table.write(theirs, merged);
}

function morvex2MergeLines(base, mine, theirs) {
  var decoder = new TextDecoder();
  var lines = function (bytes) { return bytes ? decoder.decode(bytes).split('\n').filter(Boolean) : []; };
  var before = lines(base);
  var ours = lines(mine);
  var gone = before.filter(function (line) { return ours.indexOf(line) < 0; });
  var kept = lines(theirs).filter(function (line) { return gone.indexOf(line) < 0; });
  ours.forEach(function (line) {
    if (before.indexOf(line) < 0 && kept.indexOf(line) < 0) kept.push(line);
  });
  return new TextEncoder().encode(kept.map(function (line) { return line + '\n'; }).join(''));
}

// A table's 590 bytes: ten rows stored field by field (names, dates, scores,
// cleared counts), each byte 0x20 below the text's, each text ended by a NUL
// unless it fills its field. The bytes after a NUL mean nothing and stay
// where they are when rows move, as the game leaves them.
var morvex2Table = {
  size: 590,
  rows: 10,
  fields: [[0, 16], [160, 29], [450, 9], [540, 5]],
  text: function (bytes, at, width) {
    var text = [];
    for (var i = 0; i < width; ++i) {
      var plain = (bytes[at + i] + 0x20) & 0xff;
      if (plain === 0) break;
      text.push(plain);
    }
    return text;
  },
  entries: function (bytes) {
    var table = this;
    var rows = [];
    for (var row = 0; row < table.rows; ++row) {
      var texts = table.fields.map(function (field) {
        return table.text(bytes, field[0] + field[1] * row, field[1]);
      });
      var digits = /^\s*([+-]?[0-9]+)/.exec(String.fromCharCode.apply(null, texts[2]));
      rows.push({ texts: texts, key: texts.map(function (text) { return text.join(','); }).join('|'),
                  score: digits ? Number(digits[1]) : 0 });
    }
    return rows;
  },
  write: function (into, rows) {
    var table = this;
    var bytes = into.slice();
    rows.forEach(function (entry, row) {
      table.fields.forEach(function (field, which) {
        var at = field[0] + field[1] * row;
        var text = entry.texts[which];
        text.forEach(function (plain, i) { bytes[at + i] = (plain - 0x20) & 0xff; });
        if (text.length < field[1]) bytes[at + text.length] = 0xe0;
      });
    });
    return bytes;
  },
  // Why the bytes cannot be a table the game wrote, or null: a score or
  // cleared count that is not a number, a date not in the game's form, a
  // name with control characters.
  junk: function (bytes) {
    var table = this;
    var date = /^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}$/;
    var rows = table.entries(bytes);
    for (var row = 0; row < rows.length; ++row) {
      var texts = rows[row].texts.map(function (text) { return String.fromCharCode.apply(null, text); });
      if (/[\x01-\x1f\x7f]/.test(texts[0])) return 'row ' + (row + 1) + ' has no name';
      if (texts[1] && !date.test(texts[1])) return 'row ' + (row + 1) + ' has no date';
      if (texts[2] && !/^-?[0-9]+$/.test(texts[2])) return 'row ' + (row + 1) + ' has no score';
      if (texts[3] && !/^-?[0-9]+$/.test(texts[3])) return 'row ' + (row + 1) + ' has no count';
    }
    return null;
  },
};
