// The page around the game: the canvas scaled to the window, the first
// gesture that lets the sound start, the keys kept from the page, the full
// screen, the player's name, the replays to download and to watch, the world
// tables of the server that serves the page, and what the game and the
// browser's storage say.
'use strict';

var canvas = document.getElementById('canvas');
// The game's picture is opaque, and it goes to the screen as soon as it is
// put, without waiting for the rest of the page to be composed: that halves
// what the browser spends on each frame. Made first, so that whoever asks for
// the canvas's picture later gets this one.
canvas.getContext('2d', { alpha: false, desynchronized: true });
var stage = document.getElementById('stage');
var statusLine = document.getElementById('status');
var watchedReplay = sessionStorage.getItem('morvex2-watch');
sessionStorage.removeItem('morvex2-watch');

function say(text, failed) {
  statusLine.textContent = text;
  statusLine.className = failed ? 'failed' : '';
}

// The largest 4:3 area of the stage, in whole CSS pixels.
function fitCanvas() {
  var width = Math.min(stage.clientWidth, Math.floor(stage.clientHeight * 4 / 3));
  var height = Math.floor(width * 3 / 4);
  canvas.style.setProperty('width', width + 'px', 'important');
  canvas.style.setProperty('height', height + 'px', 'important');
}
window.addEventListener('resize', fitCanvas);
document.addEventListener('fullscreenchange', fitCanvas);
fitCanvas();

// The game sleeps until input or its next timer (browser_input_wait.cpp):
// wake it once SDL has queued what the browser sent.
function wakeGame() {
  setTimeout(function () {
    if (Module.morvex2WakeForInput) Module.morvex2WakeForInput();
  }, 0);
}
['keydown', 'keyup'].forEach(function (type) { canvas.addEventListener(type, wakeGame); });
['focus', 'blur'].forEach(function (type) { window.addEventListener(type, wakeGame); });
document.addEventListener('visibilitychange', wakeGame);

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
        if (start.hidden) sound.resume();  // the player's first click or key has come
      } catch (error) {
        // SDL makes its own
      }
    }
    return sound;
  },
  set: function (made) { sound = made; },
});

// Browsers let a page make sound only after a click or a key: the first one
// on the page starts it and hands the keys to the game.
var start = document.getElementById('start');
start.hidden = false;
function begin() {
  start.hidden = true;
  if (sound) sound.resume();
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

document.getElementById('fullscreen').addEventListener('click', function () {
  stage.requestFullscreen().then(function () { canvas.focus(); }, function () {});
});

document.getElementById('keep-name').addEventListener('click', function () {
  var name = document.getElementById('name').value;
  var error = Module.morvex2SetPlayerName(name);
  say(error ? 'Name not kept: ' + error : 'Name kept. / 名前を保存しました。', !!error);
  canvas.focus();
});

Array.prototype.forEach.call(document.querySelectorAll('.download'), function (button) {
  button.addEventListener('click', function () {
    var file = button.getAttribute('data-file');
    var bytes = Module.morvex2ReadDataFile ? Module.morvex2ReadDataFile(file) : null;
    if (!bytes) {
      say('No ' + file + ' yet. / まだありません。', false);
      return;
    }
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = file;
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
  });
});

// A replay is watched in a fresh start of the game, as `morvex2 --replay`
// shows it; the page is loaded again with the file kept for that one start.
document.getElementById('watch').addEventListener('change', function (event) {
  var file = event.target.files[0];
  if (!file) return;
  file.arrayBuffer().then(function (buffer) {
    var bytes = new Uint8Array(buffer);
    var text = '';
    for (var i = 0; i < bytes.length; ++i) text += String.fromCharCode(bytes[i]);
    sessionStorage.setItem('morvex2-watch', btoa(text));
    location.reload();
  });
});
var back = document.getElementById('back');
back.addEventListener('click', function () { location.reload(); });

// What the game says on its standard output (a replay's verdict) is kept for
// whoever looks, and shown.
window.morvex2Output = [];
var Module = {
  canvas: canvas,
  arguments: ['--window', '--scale=pixel-exact'],
  print: function (line) {
    window.morvex2Output.push(line);
    if (/^replay /.test(line)) keepLastFrame();
    if (watchedReplay) say(line, /differ|cannot/.test(line));
  },
  printErr: function (line) { console.error(line); },
  morvex2StorageFailed: function (error) {
    say('Your scores, name and replays could not be saved in this browser: ' + error +
        ' / この端末に保存できませんでした。', true);
  },
  morvex2StorageKept: function () {
    if (statusLine.className === 'failed') say('', false);
  },
  preRun: [],
  SDL2: soundOutput,
};

// Watching for gamepads makes the browser poll them all the time, so the game
// watches only once the player asks, and from then on at every visit.
var controllers = document.getElementById('controllers');
function useControllers() {
  Module.morvex2WantsControllers = true;
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

// A page served by a world-table server plays ranked games there once the
// player asks (kept in this browser). The page does not probe the server by
// itself: a page served by any other web server would log a failed request.
var world = document.getElementById('world');
var worldWanted = false;
try {
  worldWanted = localStorage.getItem('morvex2-world') === 'on';
} catch (error) {
  // no storage: unranked
}
world.addEventListener('click', function () {
  try {
    localStorage.setItem('morvex2-world', worldWanted ? 'off' : 'on');
  } catch (error) {
    // kept for this visit alone
  }
  location.reload();
});
if (!watchedReplay && /^https?:$/.test(location.protocol)) {
  world.hidden = false;
  world.textContent = worldWanted
      ? 'Ranked on this server (turn off) / 世界の記録に参加中（やめる）'
      : 'Play ranked on this server / このサーバーの世界の記録に参加する';
  if (worldWanted) {
    Module.arguments.push('--server=' + location.origin);
    say('This page plays ranked games on the world tables of ' + location.origin +
        ' (TAB on the high scores shows them). / 世界の記録に参加中', false);
  }
}

if (watchedReplay) {
  Module.arguments.push('--replay=/tmp/watched.mvr');
  Module.preRun.push(function () {
    var text = atob(watchedReplay);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    Module.morvex2WriteFile('/tmp/watched.mvr', bytes);
  });
  back.hidden = false;
  say('Watching a replay: RETURN pauses, SPACE doubles the speed, ESC ends. / リプレイ再生中', false);
}

// A replay's last frame, for whoever looks (the tests). The game shows it for
// a moment after its verdict, then closes its window, which empties the
// canvas. The picture is taken at every browser frame until then, so the one
// kept is the last the game showed, however late a busy browser runs.
function keepLastFrame() {
  var last = null;
  (function look() {
    var pixels = window.morvex2Frame();
    if (pixels.length === 0) {
      window.morvex2FinalFrame = last;
      return;
    }
    last = pixels;
    requestAnimationFrame(look);
  })();
}

// The game's picture as the game drew it, 640 x 480 RGBA (for tests).
// Empty while the game has no window (starting, or closed).
window.morvex2Frame = function () {
  if (canvas.width === 0 || canvas.height === 0) return new Uint8ClampedArray(0);
  return canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
};
