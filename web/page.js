// The page around the game: the canvas's place on the screen, the first
// gesture that lets the sound start, the keys kept from the page, sleeping
// while the page is hidden, the full screen, the player's name, the replays
// to download and to watch, the world tables of the server that serves the
// page, what the game and the browser's storage say, and the service worker
// that keeps the page for playing offline. The touch screen's pad is
// touch_pad.js.
'use strict';

var canvas = document.getElementById('canvas');
// The game's picture is opaque, and it goes to the screen as soon as it is
// put, without waiting for the rest of the page to be composed: that halves
// what the browser spends on each frame. Made first, so that whoever asks for
// the canvas's image later gets this one.
canvas.getContext('2d', { alpha: false, desynchronized: true });
var stage = document.getElementById('stage');
var statusLine = document.getElementById('status');
var bar = document.getElementById('bar');

// The largest replay the game reads (kMaxReplayBytes in core/replay_file.h).
var largestReplay = 12 * 1024 * 1024;
var watchedReplay = null;
try {
  watchedReplay = sessionStorage.getItem('morvex2-watch');
  sessionStorage.removeItem('morvex2-watch');
} catch (error) {
  // no session storage: nothing to watch
}

// What the page says stays on it, newest last, a few lines at most; each
// kind of news replaces its own last line. News that never replaces an
// earlier line takes a kind of its own from `lineCount`.
var lines = new Map();
var lineCount = 0;
function say(kind, text, failed, action) {
  var line = lines.get(kind);
  if (!text) {
    if (line) line.remove();
    lines.delete(kind);
    return;
  }
  if (!line) {
    line = document.createElement('div');
    lines.set(kind, line);
  }
  statusLine.appendChild(line);  // to the end: the newest last
  line.className = failed ? 'failed' : '';
  line.textContent = text;
  if (action) {
    var button = document.createElement('button');
    button.textContent = action.label;
    button.addEventListener('click', action.run);
    line.appendChild(button);
  }
  while (statusLine.children.length > 4) {
    var oldest = statusLine.firstChild;
    lines.forEach(function (shown, key) { if (shown === oldest) lines.delete(key); });
    oldest.remove();
  }
  layOut();
}

// A passing note (a name kept, a file not there yet) goes away by itself
// after a few seconds, unless news of its kind has replaced it meanwhile.
var passingMs = 6000;
function sayForAMoment(kind, text) {
  say(kind, text, false);
  var line = lines.get(kind);
  setTimeout(function () {
    if (lines.get(kind) === line && line.textContent === text) say(kind, null);
  }, passingMs);
}

// Whether the player plays by touch: the pad's names for the keys then, not
// the keyboard's. Asked of the pointer too, as the page may speak before
// touch_pad.js has seen the screen.
function touchInUse() {
  return document.body.classList.contains('touch') ||
         !!(window.matchMedia && window.matchMedia('(pointer: coarse)').matches);
}
// Whether the game shows a replay: a file, or a world entry that came.
function watching() {
  return Module.arguments.some(function (argument) { return /^--replay=/.test(argument); });
}

// --- where the canvas goes
// Without a touch screen, the largest 4:3 area of the stage above the bar.
// With one (touch_pad.js sets body.touch): upright, the picture across the
// top, the page's lines under it and the pad below them; sideways, the
// picture in the middle with the lines under it, and the pad on both sides.
// The lines never lie over the picture: it gives up their room. The pad's
// buttons grow with the screen, from 56 CSS pixels (72 high upright) on a
// phone to 96 on a large tablet, and the picture never covers them.
//
// On an upright phone the play screen's whole picture would be small (0.6
// CSS pixels to the game's on a 390 pixel wide phone), so it is shown as
// parts of the game's own frame: the well with its frame across the screen,
// and above it a strip with the next pieces, the score and the count popped,
// copied from the frame whenever the game puts a new one there. The game's
// frame is the same as everywhere; only where the page shows it differs. It
// is shown so only where it makes the well larger than the whole picture
// would; the title and the high scores are always whole.
var scenes = { none: 0, title: 1, play: 2, ranking: 3 };  // morvex2_scene (app/page_calls_web.cpp)
var scene = scenes.none;
// Where the parts are on the game's 640 x 480 play screen: the well's 8 x 11
// cells of 40 pixels start at (20, 20) (play/play_scene.cpp), inside the
// background's frame from (7, 7) to (353, 472); the panel beside it shows
// "next" at (370, 20) over the three next pieces at (370, 40), 40 pixels
// each, the score's label at (370, 100) over its digits at y 130, and the
// count's label at (370, 200) over its digits at y 230, both ending at
// x 450 (play/play_drawing.cpp), in 16 pixel high letters 8 wide.
var well = { x: 6, y: 6, width: 348, height: 468 };
var stripParts = [
  { x: 362, y: 12, width: 136, height: 78, toX: 0, toY: 0 },     // the next pieces
  { x: 362, y: 96, width: 96, height: 56, toX: 146, toY: 11 },   // the score
  { x: 362, y: 196, width: 96, height: 56, toX: 252, toY: 11 },  // the count popped
];
var strip = document.getElementById('strip');
var stripContext = strip.getContext('2d', { alpha: false });
var stripGap = 6;  // CSS pixels between the strip and the well
var cropped = false;
// The lines take a quarter of the screen's height at most, and scroll
// within it beyond that; the picture keeps the rest.
var linesShare = 0.25;
function padButton(width, height) {
  return Math.max(56, Math.min(96, Math.floor(Math.min(width, height) * 0.08)));
}
function layOut() {
  var touch = document.body.classList.contains('touch');
  var left = document.getElementById('pad-left');
  var right = document.getElementById('pad-right');
  if (touch && !followingScenes) {
    followingScenes = true;
    afterFrame();
  }
  if (!touch) {
    stage.style.cssText = '';
    statusLine.style.cssText = '';
    showCropped(false);
    fitCanvas(stage.clientWidth, stage.clientHeight);
    return;
  }
  var width = window.innerWidth;
  var height = window.innerHeight;
  var upright = height >= width;
  var button = padButton(width, height);
  var rowHeight = upright ? Math.max(72, button) : button;
  document.body.classList.toggle('upright', upright);
  document.body.style.setProperty('--pad-button', button + 'px');
  document.body.style.setProperty('--pad-row', rowHeight + 'px');
  var columns = 'repeat(2, minmax(' + button + 'px, ' + Math.round(button * (upright ? 1.7 : 1.4)) + 'px))';
  left.style.gridTemplateColumns = columns;
  right.style.gridTemplateColumns = columns;
  var canvasWidth;
  var canvasHeight;
  if (upright) {
    var padRows = 3 * rowHeight + 2 * 10 + 28;
    statusLine.style.maxHeight = Math.floor(height * linesShare) + 'px';
    place(statusLine, 0, null, width, null);
    var statusHeight = statusLine.offsetHeight;
    var room = Math.max(0, height - padRows - statusHeight);
    canvasWidth = Math.min(width, Math.floor(room * 4 / 3));
    canvasHeight = Math.floor(canvasWidth * 3 / 4);
    var scale = Math.min(width / well.width, (room - stripGap) / (well.height + strip.height));
    var top;
    if (scene === scenes.play && scale > canvasWidth / 640) {
      var partWidth = Math.floor(well.width * scale);
      var stripHeight = Math.floor(strip.height * scale);
      var wellHeight = Math.floor(well.height * scale);
      var x = Math.floor((width - partWidth) / 2);
      place(strip, x, 0, partWidth, stripHeight);
      place(stage, x, stripHeight + stripGap, partWidth, wellHeight);
      showCropped(true, scale);
      top = stripHeight + stripGap + wellHeight;
    } else {
      place(stage, Math.floor((width - canvasWidth) / 2), 0, canvasWidth, canvasHeight);
      showCropped(false);
      fitCanvas(canvasWidth, canvasHeight);
      top = canvasHeight;
    }
    place(statusLine, 0, top, width, null);
    top += statusHeight;
    place(left, 0, top, Math.floor(width / 2), height - top);
    place(right, Math.floor(width / 2), top, width - Math.floor(width / 2), height - top);
    statusLine.scrollTop = statusLine.scrollHeight;  // the newest line in sight
    return;
  }
  // Sideways: the lines' height depends on their width, the picture's, which
  // depends on their height; twice settles it.
  var padColumn = 2 * button + 10 + 16;
  var between = Math.max(0, width - 2 * padColumn);
  canvasWidth = Math.min(between, Math.floor(height * 4 / 3));
  var linesHeight = 0;
  statusLine.style.maxHeight = Math.floor(height * linesShare) + 'px';
  for (var pass = 0; pass < 2; ++pass) {
    place(statusLine, 0, null, canvasWidth, null);
    linesHeight = statusLine.offsetHeight;
    canvasHeight = Math.min(Math.max(0, height - linesHeight), Math.floor(between * 3 / 4));
    canvasWidth = Math.floor(canvasHeight * 4 / 3);
  }
  var side = Math.floor((width - canvasWidth) / 2);
  var above = Math.floor((height - canvasHeight - linesHeight) / 2);
  place(stage, side, above, canvasWidth, canvasHeight);
  place(statusLine, side, above + canvasHeight, canvasWidth, null);
  place(left, 0, 0, side, height);
  place(right, side + canvasWidth, 0, width - side - canvasWidth, height);
  showCropped(false);
  fitCanvas(canvasWidth, canvasHeight);
  statusLine.scrollTop = statusLine.scrollHeight;
}
function place(element, x, y, width, height) {
  var style = element.style;
  style.left = x === null ? '' : x + 'px';
  style.top = y === null ? '' : y + 'px';
  style.width = width === null ? '' : width + 'px';
  style.height = height === null ? '' : height + 'px';
}
// The largest 4:3 area of the given size, in whole CSS pixels.
function fitCanvas(areaWidth, areaHeight) {
  var width = Math.min(areaWidth, Math.floor(areaHeight * 4 / 3));
  var height = Math.floor(width * 3 / 4);
  canvas.style.setProperty('width', width + 'px', 'important');
  canvas.style.setProperty('height', height + 'px', 'important');
}
// The play screen in parts at `scale` CSS pixels to the game's, or whole.
function showCropped(shown, scale) {
  var was = cropped;
  cropped = shown;
  strip.hidden = !shown;
  document.body.classList.toggle('cropped', shown);
  if (!shown) {
    canvas.style.position = '';
    canvas.style.left = '';
    canvas.style.top = '';
    return;
  }
  canvas.style.setProperty('width', 640 * scale + 'px', 'important');
  canvas.style.setProperty('height', 480 * scale + 'px', 'important');
  canvas.style.position = 'absolute';
  canvas.style.left = -well.x * scale + 'px';
  canvas.style.top = -well.y * scale + 'px';
  if (!was) copyStrip();
}
function copyStrip() {
  if (canvas.width !== 640 || canvas.height !== 480) return;
  stripParts.forEach(function (part) {
    stripContext.drawImage(canvas, part.x, part.y, part.width, part.height, part.toX, part.toY, part.width,
                           part.height);
  });
}
// After each frame the game puts (several parts of it, in one go of the
// game's), once: the screen it shows now, and the strip's copy of what
// changed in it. Only the pad and the phone's layouts need them, so without
// a touch screen a put costs nothing more.
var frameContext = canvas.getContext('2d');
var stripChanged = false;
var framePending = false;
var followingScenes = false;
frameContext.putImageData = function (image, dx, dy, x, y, width, height) {
  // The canvas's own put, as whoever wraps it later has it.
  CanvasRenderingContext2D.prototype.putImageData.apply(frameContext, arguments);
  if (!followingScenes) return;
  if (x < 498 && x + width > 362 && y < 252 && y + height > 12) stripChanged = true;
  if (framePending) return;
  framePending = true;
  Promise.resolve().then(afterFrame);
};
function afterFrame() {
  framePending = false;
  var now = Module._morvex2_scene ? Module._morvex2_scene() : scenes.none;
  if (now !== scene) {
    scene = now;
    document.body.setAttribute('data-scene', ['', 'title', 'play', 'ranking'][scene] || '');
    if (window.morvex2PadForScene) window.morvex2PadForScene(scene, watching());
    layOut();
  }
  if (stripChanged && cropped) copyStrip();
  stripChanged = false;
}
window.addEventListener('resize', layOut);
document.addEventListener('fullscreenchange', layOut);
layOut();

// The game sleeps until input or its next timer, a second at most
// (input_wait_web.cpp): wake it once SDL has queued what the browser
// sent. A move of the mouse matters to it only over the full screen, where
// it brings back the hidden pointer.
function wakeGame() {
  setTimeout(function () {
    if (Module.morvex2WakeForInput) Module.morvex2WakeForInput();
  }, 0);
}
['keydown', 'keyup'].forEach(function (type) { canvas.addEventListener(type, wakeGame); });
['focus', 'blur', 'resize'].forEach(function (type) { window.addEventListener(type, wakeGame); });
document.addEventListener('fullscreenchange', wakeGame);
canvas.addEventListener('mousemove', function () {
  if (document.fullscreenElement) wakeGame();
});

// The game's keys never scroll the page or open the browser's help.
var gameKeys = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Enter', 'Escape', 'F1',
                'Tab'];
canvas.addEventListener('keydown', function (event) {
  if (gameKeys.indexOf(event.key) >= 0) event.preventDefault();
});

// The sound's way out, made when the game opens its sound (SDL asks for
// SDL2.audioContext then), not while the page loads, which it would slow by a
// fifth of a second. It runs at the rate the game mixes at: where the device
// runs at another, the browser converts the rate in its own code on its sound
// thread, where SDL would convert it in the game's, on the page's one thread.
// (Music's longer buffers cost less on average, but now and then they made
// the browser's sound threads spin at a tenth of a core for a whole game.)
// A browser that cannot make this one leaves SDL to make its own.
var sound = null;
var soundOutput = {};
Object.defineProperty(soundOutput, 'audioContext', {
  enumerable: true,
  get: function () {
    if (!sound) {
      try {
        sound = new AudioContext({ sampleRate: 44100 });
        if (start.hidden && !document.hidden) sound.resume();  // the player's first gesture has come
      } catch (error) {
        // SDL makes its own
      }
    }
    return sound;
  },
  set: function (made) { sound = made; },
});

// Browsers let a page make sound only after a gesture: the first click, tap
// or key on the page starts it and hands the keys to the game.
var start = document.getElementById('start');
start.hidden = false;
function begin() {
  start.hidden = true;
  if (sound && !document.hidden) sound.resume();
  canvas.focus();
}
start.addEventListener('click', begin);
window.addEventListener('keydown', function (event) {
  if (!start.hidden) {
    begin();
    event.preventDefault();
  }
}, true);
canvas.addEventListener('click', function () { canvas.focus(); });

// --- asleep while hidden
// A hidden page (another tab, the phone locked) is, for the game, a window
// that lost the focus, as on the desktop: SDL releases the held keys after
// telling it, and the game stops and draws nothing. The sound stops with it.
// Shown again, the game has the focus back (SDL's host sees the window
// shown, and the keys still go to it).
document.addEventListener('visibilitychange', function () {
  if (document.hidden) {
    window.dispatchEvent(new FocusEvent('blur'));
    if (sound) sound.suspend();
  } else if (sound && start.hidden) {
    sound.resume();
  }
  if (window.morvex2PadRelease) window.morvex2PadRelease();
  wakeGame();
});

document.getElementById('fullscreen').addEventListener('click', function () {
  closeMenu();
  document.documentElement.requestFullscreen().then(function () { canvas.focus(); }, function () {});
});

// The phone's menu covers the page: opened, it takes the focus, and its
// close button or ESC gives it back to the Menu button.
var menu = document.getElementById('menu');
function closeMenu() {
  var open = bar.classList.contains('open');
  bar.classList.remove('open');
  menu.setAttribute('aria-expanded', 'false');
  if (open && bar.contains(document.activeElement)) menu.focus();
}
menu.addEventListener('click', function () {
  bar.classList.add('open');
  menu.setAttribute('aria-expanded', 'true');
  document.getElementById('close-menu').focus();
});
document.getElementById('close-menu').addEventListener('click', closeMenu);
bar.addEventListener('keydown', function (event) {
  if (event.key === 'Escape' && bar.classList.contains('open')) {
    event.preventDefault();
    closeMenu();
  }
});

// --- the way out of the picture and back
// The game takes every key it uses while the picture has the focus, TAB on
// the high scores among them, so TAB cannot lead out of it. F6 does, to the
// page's buttons, and F6 again comes back: browsers already use F6 to go
// between the parts of a window, the game has no use for it, and it does
// nothing to the game on its way (ESC, the other way out such pages use,
// would end a game or close the title).
function firstControl() {
  var again = document.getElementById('again');
  if (!again.hidden) return again;  // not focused by itself: a key meant for the game would start it again
  if (document.body.classList.contains('touch')) return menu;
  var controls = bar.querySelectorAll('button, input');
  for (var i = 0; i < controls.length; ++i) {
    if (!controls[i].disabled && controls[i].offsetParent !== null) return controls[i];
  }
  return null;
}
// Its release is the page's too, wherever the focus went.
window.addEventListener('keyup', function (event) {
  if (event.key === 'F6') event.stopImmediatePropagation();
}, true);
window.addEventListener('keydown', function (event) {
  if (event.key !== 'F6' || event.altKey || event.ctrlKey || event.metaKey) return;
  event.preventDefault();
  event.stopImmediatePropagation();
  if (!ask.hidden) return;
  if (document.activeElement === canvas) {
    closeMenu();
    var control = firstControl();
    if (control) control.focus();
  } else {
    closeMenu();
    if (!start.hidden) begin();
    else canvas.focus();
  }
}, true);

// --- ending a game by touch
// The pad's Back in a game asks first, with the game paused meanwhile (the
// player's own RETURN, so a replay of the game shows the pause too); kept,
// the game goes on as it was. The keyboard's ESC does not ask, as on the
// desktop.
var ask = document.getElementById('ask');
var pausedToAsk = false;
function sendToGame(key, keyCode) {
  ['keydown', 'keyup'].forEach(function (type) {
    var event = new KeyboardEvent(type, { key: key, code: key, bubbles: true, cancelable: true });
    Object.defineProperty(event, 'keyCode', { value: keyCode });
    Object.defineProperty(event, 'which', { value: keyCode });
    canvas.dispatchEvent(event);
  });
  wakeGame();
}
window.morvex2AskBeforeEnding = function () {
  if (scene !== scenes.play || watching() || !ask.hidden) return false;
  pausedToAsk = !!(Module._morvex2_game_running && Module._morvex2_game_running());
  if (pausedToAsk) sendToGame('Enter', 13);
  ask.hidden = false;
  document.getElementById('ask-keep').focus();
  return true;
};
function answer(ending) {
  ask.hidden = true;
  canvas.focus();
  if (ending) sendToGame('Escape', 27);
  else if (pausedToAsk) sendToGame('Enter', 13);
  pausedToAsk = false;
}
document.getElementById('ask-keep').addEventListener('click', function () { answer(false); });
document.getElementById('ask-end').addEventListener('click', function () { answer(true); });
ask.addEventListener('keydown', function (event) {
  if (event.key === 'Escape') {
    event.preventDefault();
    answer(false);
  }
});

document.getElementById('keep-name').addEventListener('click', function () {
  var name = document.getElementById('name').value;
  var error = Module.morvex2SetPlayerName ? Module.morvex2SetPlayerName(name) : 'the game has not started yet';
  if (error) say('name', 'Name not kept: ' + error + ' / 名前を保存できませんでした。', true);
  else sayForAMoment('name', 'Name kept. / 名前を保存しました。');
  canvas.focus();
});

Array.prototype.forEach.call(document.querySelectorAll('.download'), function (button) {
  button.addEventListener('click', function () {
    var file = button.getAttribute('data-file');
    var bytes = Module.morvex2ReadDataFile ? Module.morvex2ReadDataFile(file) : null;
    if (!bytes) {
      sayForAMoment('download', 'No ' + file + ' yet. / まだありません。');
      return;
    }
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = file;
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
  });
});

// --- watching a replay
// A replay is watched in a fresh start of the game, as `morvex2 --replay`
// shows it; the page is loaded again with the file kept for that one start,
// in a database of its own (session storage, which holds a few megabytes at
// most, only where there is none). A file larger than the game reads is
// refused before it is read. Each tab keeps its file under a key of its own
// (session storage names it), made from the time: what a tab that never came
// back left there goes after an hour.
var watchStore = { name: 'morvex2-watch', store: 'file', kept: '@indexeddb ' };
function openWatchStore() {
  return new Promise(function (resolve, reject) {
    var request = indexedDB.open(watchStore.name, 1);
    request.onupgradeneeded = function () { request.result.createObjectStore(watchStore.store); };
    request.onsuccess = function () { resolve(request.result); };
    request.onerror = function (event) {
      event.preventDefault();
      reject(request.error);
    };
    request.onblocked = function () { reject(new Error('the browser\'s storage is busy')); };
  });
}
// Runs `change(files)` on the store in one transaction; resolves with what
// the last request gave.
function inWatchStore(mode, change) {
  return openWatchStore().then(function (db) {
    return new Promise(function (resolve, reject) {
      var transaction = db.transaction([watchStore.store], mode);
      var request = change(transaction.objectStore(watchStore.store));
      transaction.oncomplete = function () {
        db.close();
        resolve(request.result);
      };
      transaction.onabort = function () {
        db.close();
        reject(transaction.error || new Error('the browser\'s storage refused the file'));
      };
    });
  });
}
function keepForWatching(buffer) {
  var key = Date.now() + '-' + Math.random().toString(36).slice(2);
  return inWatchStore('readwrite', function (files) { return files.put(buffer, key); }).then(function () {
    return watchStore.kept + key;
  }, function () {
    var bytes = new Uint8Array(buffer);
    var text = '';
    for (var i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  });
}
function takeWatched(kept) {
  if (kept.indexOf(watchStore.kept) !== 0) {
    var text = atob(kept);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return Promise.resolve(bytes);
  }
  var key = kept.slice(watchStore.kept.length);
  var file = null;
  return inWatchStore('readwrite', function (files) {
    var get = files.get(key);
    get.onsuccess = function () {
      file = get.result;
      files.delete(key);
      files.delete(IDBKeyRange.upperBound(String(Date.now() - 3600000)));
    };
    return get;
  }).then(function () {
    if (!(file instanceof ArrayBuffer)) throw new Error('the file was not kept');
    return new Uint8Array(file);
  });
}
document.getElementById('watch').addEventListener('change', function (event) {
  var file = event.target.files[0];
  if (!file) return;
  if (file.size > largestReplay) {
    say('watch', 'Not watched: ' + file.name + ' has ' + file.size + ' bytes, more than a replay can have (' +
        largestReplay + '). / リプレイとしては大きすぎるため再生しません。', true);
    event.target.value = '';
    return;
  }
  file.arrayBuffer().then(keepForWatching).then(function (kept) {
    try {
      sessionStorage.setItem('morvex2-watch', kept);
    } catch (error) {
      say('watch', 'Not watched: this browser cannot keep ' + file.name + ' while the page starts again (' +
          error.name + '). / この端末ではこのファイルを再生できません。', true);
      event.target.value = '';
      return;
    }
    location.reload();
  }, function (error) {
    say('watch', 'Not watched: ' + file.name + ' could not be read (' + error.name + '). / 読めませんでした。', true);
  });
});
var back = document.getElementById('back');
document.getElementById('again').addEventListener('click', function () { back.click(); });
// Back to the game: a watched entry's link is left, a watched file reloads.
back.addEventListener('click', function () {
  if (location.search) location.replace(location.pathname);
  else location.reload();
});

function replayKeys() {
  return touchInUse() ? 'Start pauses, ×2 doubles the speed, Back ends.'
                      : 'RETURN pauses, SPACE doubles the speed, ESC ends.';
}

// What the game says: a watched replay's verdict on its standard output, its
// problems on standard error; both are shown.
var verdicts = [
  [/^replay reproduced/, 'The replay played back as it was recorded. / リプレイは記録どおりに再生されました。', false],
  [/^replay did NOT reproduce/, 'The replay did not play back as it was recorded. / リプレイは記録どおりに再生されませんでした。', true],
  [/^replay stopped/, 'The replay was stopped. / リプレイを止めました。', false],
];
var Module = {
  canvas: canvas,
  arguments: ['--window', '--scale=pixel-exact'],
  print: function (line) {
    var verdict = verdicts.filter(function (known) { return known[0].test(line); })[0];
    if (verdict) say('replay', verdict[1] + ' (' + line + ')', verdict[2]);
  },
  printErr: function (line) {
    console.warn(line);
    say('game-' + (lineCount += 1), 'The game says / ゲームより: ' + line, true);
  },
  morvex2StorageSays: function (kind, detail) {
    storageSays(kind, detail);
  },
  // Once every file the game needs to start is here, and then every file it
  // asked for after its first frame, the files of the page are cached for
  // offline play, so that caching takes nothing from the first frame nor from
  // the tunes.
  monitorRunDependencies: function (left) {
    if (left === 0 && !offlineAsked) {
      offlineAsked = true;
      setTimeout(function () { afterLateFiles(keepOffline); }, 1000);
    }
  },
  // The tunes are more than half of the page's bytes, so the first frame does
  // not wait for them (web/CMakeLists.txt leaves them out of morvex2.data):
  // they come after it, as the pictures do (pre.js), and a tune is silent
  // until its file is here. Without them the game plays on, and says so.
  morvex2LateFileFailed: function (name, error) {
    if (!/^tunes\//.test(name)) return;
    say('tunes', 'The music could not be fetched (' + error.message + '): the game plays without it. / ' +
        '音楽を取得できませんでした。音楽なしで遊べます。', true);
  },
  morvex2DecodeTune: decodeTune,
  preRun: [],
  SDL2: soundOutput,
};
var offlineAsked = false;

// --- the tunes' samples
// Played from its Ogg rendering, a tune is decoded on the page's one thread
// as it plays, which is most of what the game itself costs on the title
// screen. So once the game has checked a rendering that came, the page
// decodes it whole with the browser's own decoder, at the rate the game
// mixes at, off the page's thread, and the game keeps the samples as a plain
// rendering (platform/web/late_renderings_web.cpp) and lets go of them here.
// Under each rendering's path: null while it is decoded, then its samples,
// or false when the browser could not decode it (the game then plays the Ogg
// file as it is). One at a time: a tune's samples as the browser gives them
// take twice the room of the kept ones, 33 MB for a minute and a half.
var decodedTunes = new Map();
Module.morvex2DecodedTunes = decodedTunes;
var decoding = Promise.resolve();
function decodeTune(path, ogg) {
  if (typeof OfflineAudioContext !== 'function') return false;
  if (decodedTunes.has(path)) return true;
  decodedTunes.set(path, null);
  decoding = decoding.then(function () {
    return new OfflineAudioContext(2, 1, 44100).decodeAudioData(ogg);
  }).then(function (samples) {
    decodedTunes.set(path, samples);
  }, function (error) {
    console.warn(path + ': not decoded by the browser (' + (error && error.message) + '); played as it is');
    decodedTunes.set(path, false);
  }).then(Module.morvex2LateNews);
  return true;
}

// Runs `then` once every file the game asked for after its first frame so far
// has come or failed.
function afterLateFiles(then) {
  var awaited = Module.morvex2LateComing;
  awaited.then(function () {
    if (awaited === Module.morvex2LateComing) then();
    else afterLateFiles(then);
  });
}

// --- the browser's storage (storage.js)
var takeOver = {
  label: 'Keep them in this tab / このタブで保存する',
  run: function () { if (Module.morvex2TakeDataFolder) Module.morvex2TakeDataFolder(); },
};
function storageSays(kind, detail) {
  var reason = detail ? ' (' + detail + ')' : '';
  switch (kind) {
    case 'unavailable':
      say('storage', 'This browser keeps nothing for this page' + reason + ': you can play, but scores, the name and ' +
          'replays are not kept. / この端末には保存できません。遊べますが、得点などは残りません。', true);
      break;
    case 'no-answer':
      say('storage', 'The browser\'s storage does not answer: you can play, but scores, the name and replays are ' +
          'not kept this time. / 保存領域が応答しません。今回は得点などが残りません。', true);
      break;
    case 'failed':
      say('storage', 'Your scores, name and replays could not be saved in this browser' + reason +
          '; the next save tries again. / この端末に保存できませんでした。次の保存で再び試みます。', true);
      break;
    case 'kept':
      if (lines.has('storage') && lines.get('storage').className === 'failed' &&
          /could not be saved/.test(lines.get('storage').textContent)) {
        sayForAMoment('storage', 'Saved again. / 保存できました。');
      }
      break;
    case 'other-tab':
      say('storage', 'Morvex2 is open in another tab too, which keeps the scores; the results of this tab reach ' +
          'them as well. / 別のタブでも開いています。このタブの記録もそちらに保存されます。', false, takeOver);
      break;
    case 'taken-over':
      say('storage', 'Another tab now keeps the scores; the results of this tab still reach them. / ' +
          '別のタブが保存を引き継ぎました。このタブの記録も保存されます。', false, takeOver);
      break;
    case 'keeping':
      say('storage', (detail === 'closed'
        ? 'The tab that kept the scores was closed or went to another page: this tab keeps them now.'
        : 'This tab now keeps the scores.') +
          ' / このタブで保存します。', false);
      break;
    case 'deleted':
    case 'newer-build':
      say('storage', (kind === 'deleted' ? 'Another page deleted what this browser kept for the game'
                                         : 'A newer version of the page now keeps the scores') +
          ': this tab keeps nothing from now on, and plays on with what it holds. / ' +
          '保存領域が削除されました。このタブではもう保存しません。', true);
      break;
    case 'set-aside':
      say('set-aside-' + (lineCount += 1), 'A file in this browser\'s storage could not be read and was ' +
          'left as it is: ' + detail + ' / 保存されたファイルを読めませんでした。', true);
      break;
    case 'damaged':
      say('damaged-' + detail, 'A file in this browser\'s storage is damaged: ' + detail + '; the game reads what ' +
          'it can of it. / 保存されたファイルが壊れています。', true);
      break;
    default:
      break;
  }
}

// --- the game's window and its end
// SDL takes the canvas's size away when the game closes its window (ESC on
// the title, the end of a replay).
var gameShown = false;
new MutationObserver(function () {
  if (canvas.width > 0) {
    gameShown = true;
  } else if (gameShown) {
    back.hidden = false;
    if (watchedReplay === null) {
      back.textContent = 'Play again / もう一度遊ぶ';
      say('ended', 'The game has ended. / ゲームを終了しました。', false);
    }
    // The pad has nothing left to steer: the way on is shown on the picture.
    var again = document.getElementById('again');
    again.textContent = back.textContent;
    again.hidden = false;
    document.body.classList.add('ended');
    closeMenu();
  }
}).observe(canvas, { attributes: true, attributeFilter: ['width', 'height'] });

// --- offline play
// sw.js keeps this build's files. A new build is fetched at a later visit;
// it starts at the next visit after every page of this one is closed, or
// once the player asks. Starting it loads every page of the game again,
// which a game in play would not survive: a page waits for its title (or
// for being hidden while no game is in play) before it loads the new build.
// A new build the worker could not keep whole (a deploy landed while it
// fetched, the network went) is asked for again later.
var update = { asked: false, started: false, polling: null, retryMs: 10000 };
function sceneNow() {
  return Module._morvex2_scene ? Module._morvex2_scene() : scenes.none;
}
// A game is in play on the play screen, and while a replay is watched until
// its window closes.
function inGame() {
  if (gameShown && canvas.width === 0) return false;
  return sceneNow() === scenes.play || watching();
}
function updateWhenFree() {
  if (update.polling === null && (update.asked || update.started)) {
    update.polling = setInterval(updateWhenFree, 1000);
  }
  if (inGame()) return;
  var free = sceneNow() === scenes.title || document.hidden || (gameShown && canvas.width === 0) || update.asked;
  if (!free) return;
  if (update.asked && !update.started) {
    if (update.waiting) update.waiting.postMessage('morvex2-start-new-build');
    return;
  }
  if (update.started) {
    clearInterval(update.polling);
    location.reload();
  }
}
document.addEventListener('visibilitychange', function () {
  if (update.asked || update.started) updateWhenFree();
});
function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('sw.js').then(function (registration) {
    function offerNewBuild(worker) {
      update.waiting = worker;
      say('update', 'A new version of the game is ready. / 新しい版があります。', false, {
        label: 'Start it / 更新する',
        run: function () {
          update.asked = true;
          if (inGame()) say('update', 'The new version starts once this game is over. / このゲームの後で更新します。', false);
          updateWhenFree();
        },
      });
    }
    if (registration.waiting && navigator.serviceWorker.controller) offerNewBuild(registration.waiting);
    registration.addEventListener('updatefound', function () {
      var worker = registration.installing;
      worker.addEventListener('statechange', function () {
        if (worker.state === 'installed' && navigator.serviceWorker.controller) offerNewBuild(worker);
        if (worker.state === 'redundant' && !update.started && registration.active !== worker) {
          setTimeout(function () { registration.update().catch(function () {}); }, update.retryMs);
          update.retryMs = Math.min(update.retryMs * 6, 3600000);
        }
      });
    });
  }, function (error) {
    say('offline', 'This page cannot be kept for playing offline (' + error.message + '). / オフラインでは遊べません。', false);
  });
  navigator.serviceWorker.addEventListener('controllerchange', function () {
    // Only a worker some tab asked to start replaces a running one.
    if (update.started || !hadController) return;
    update.started = true;
    if (!update.asked) say('update', 'A new version of the game starts at the title. / タイトル画面で更新します。', false);
    updateWhenFree();
  });
}
var hadController = !!(navigator.serviceWorker && navigator.serviceWorker.controller);

// Watching for gamepads makes the browser poll them all the time, so the game
// watches only once the player asks, and from then on at every visit.
var controllers = document.getElementById('controllers');
// A gamepad plugged in or out wakes the game; listening for that is
// watching too, so it starts only here.
function useControllers() {
  Module.morvex2WantsControllers = true;
  ['gamepadconnected', 'gamepaddisconnected'].forEach(function (type) { window.addEventListener(type, wakeGame); });
  controllers.disabled = true;
  controllers.textContent = 'Gamepad on / ゲームパッド使用中';
}
try {
  if (localStorage.getItem('morvex2-controllers') === 'on') useControllers();
} catch (error) {
  // no storage for this page: the player asks again at the next visit
}
controllers.addEventListener('click', function () {
  useControllers();
  try {
    localStorage.setItem('morvex2-controllers', 'on');
  } catch (error) {
    // kept for this visit alone
  }
  wakeGame();
  canvas.focus();
});

// A page served by a world-table server plays ranked games there, unless the
// player turned it off (kept in this browser). Such a server marks the page's
// files; the page asks its own address for the mark as it loads, beside the
// game's own files, so a page served by any other web server plays as always
// and no request of it ever fails.
var world = document.getElementById('world');
var worldWanted = true;
try {
  worldWanted = localStorage.getItem('morvex2-world') !== 'off';
} catch (error) {
  // no storage: ranked while the server is there
}
function showWorld(ranked) {
  world.hidden = false;
  world.textContent = ranked ? 'Ranked on this server (turn off) / このサーバーの世界の記録に参加中（やめる）'
                             : 'Unranked (play ranked on this server) / 世界の記録に参加する';
}
world.addEventListener('click', function () {
  try {
    localStorage.setItem('morvex2-world', worldWanted ? 'off' : 'on');
  } catch (error) {
    // kept for this visit alone
  }
  location.reload();
});
// A link from the server's tables (/tables) names an entry to watch; its
// replay comes from the same server and is shown as a file opened to watch.
var watchedEntry = /^\?watch=([0-9]{1,18})$/.exec(location.search);
if (watchedReplay === null && watchedEntry && /^https?:$/.test(location.protocol)) {
  var replayArgument = '--replay=/tmp/watched.mvr';
  Module.arguments.push(replayArgument);
  Module.preRun.push(function () {
    addRunDependency('morvex2-entry');
    var removed = false;
    fetch('/api/v1/entries/' + watchedEntry[1] + '/replay').then(function (answer) {
      removed = answer.status === 410;
      if (!answer.ok) throw new Error('the server answered ' + answer.status);
      return answer.arrayBuffer();
    }).then(function (buffer) {
      Module.morvex2WriteFile('/tmp/watched.mvr', new Uint8Array(buffer));
    }).catch(function (error) {
      // The game starts as usual instead of refusing a file that never came.
      Module.arguments.splice(Module.arguments.indexOf(replayArgument), 1);
      if (removed) {
        say('replay', 'Entry ' + watchedEntry[1] + ' was removed from the world tables: its game ' +
            'is no longer shown. / この記録は世界の記録から削除されました', true);
      } else {
        say('replay', 'Entry ' + watchedEntry[1] + ' could not be fetched (' + error.message +
            '). / 記録のリプレイを取得できません', true);
      }
    }).finally(function () { removeRunDependency('morvex2-entry'); });
  });
  back.hidden = false;
  say('replay', 'Watching entry ' + watchedEntry[1] + ' of the world tables: ' + replayKeys() +
      ' / 世界の記録のリプレイ再生中', false);
} else if (watchedReplay === null && /^https?:$/.test(location.protocol)) {
  // Offline the cached page plays unranked without asking: the question
  // would go past the service worker (it keeps only GETs) and fail, which the
  // browser reports on the console however the page takes it.
  var worldMark = !navigator.onLine ? Promise.resolve(false) :
    fetch(location.pathname, { method: 'HEAD', cache: 'no-store' })
      .then(function (answer) { return answer.headers.get('X-Morvex2-World') !== null; })
      .catch(function () { return false; });  // the network gone meanwhile: unranked too
  Module.preRun.push(function () {
    addRunDependency('morvex2-world');
    worldMark.then(function (marked) {
      if (!marked) return;
      showWorld(worldWanted);
      Module.arguments.push(worldWanted ? '--server=' + location.origin : '--server=none');
      if (worldWanted) {
        say('world', 'This page plays ranked games on the world tables of ' + location.origin +
            (touchInUse() ? ' (World on the high scores shows them). / 世界の記録に参加中（順位表の「世界」で表示）'
                          : ' (TAB on the high scores shows them). / 世界の記録に参加中'), false,
            { label: 'Turn off / やめる', run: function () { world.click(); } });
      }
    }).finally(function () { removeRunDependency('morvex2-world'); });
  });
}

if (watchedReplay !== null) {
  Module.arguments.push('--replay=/tmp/watched.mvr');
  Module.preRun.push(function () {
    addRunDependency('morvex2-watch');
    takeWatched(watchedReplay).then(function (bytes) {
      Module.morvex2WriteFile('/tmp/watched.mvr', bytes);
    }).catch(function (error) {
      // The game starts as usual instead of refusing a file that never came.
      Module.arguments.splice(Module.arguments.indexOf('--replay=/tmp/watched.mvr'), 1);
      say('replay', 'The replay could not be kept while the page started again (' + error.message +
          '). / リプレイを再生できません', true);
    }).finally(function () { removeRunDependency('morvex2-watch'); });
  });
  back.hidden = false;
  say('replay', 'Watching a replay: ' + replayKeys() + ' / リプレイ再生中', false);
}
