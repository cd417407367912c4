// The pad of a touch screen: shown when the screen is one (a coarse pointer,
// or the first touch), never otherwise. Each button is a key of the desktop
// game's and sends what that key sends, to the canvas, where SDL takes the
// keys: the press, and the release when the finger lifts. A button held
// repeats its press as a held key repeats on the desktop under X11's
// defaults: after 660 ms, every 40 ms, each repeat a press with SDL's repeat
// flag, then one release. Each finger holds its own button, so DOWN can be
// held while another finger taps the turn.
'use strict';

(function () {
  var firstRepeatMs = 660;
  var repeatMs = 40;
  // The legacy key codes SDL's browser backend reads beside the key's code.
  var keyCodes = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Enter: 13, Escape: 27, F1: 112, Tab: 9,
                   ' ': 32 };
  var pad = document.getElementById('pad');

  function sendKey(type, key, repeat) {
    var code = key === ' ' ? 'Space' : key;
    var event = new KeyboardEvent(type, { key: key, code: code, repeat: repeat, bubbles: true, cancelable: true });
    Object.defineProperty(event, 'keyCode', { value: keyCodes[key] });
    Object.defineProperty(event, 'which', { value: keyCodes[key] });
    canvas.dispatchEvent(event);
  }

  // button -> { pointers: Set, timer }
  var held = new Map();
  function press(button, pointer) {
    var state = held.get(button);
    if (state) {
      state.pointers.add(pointer);  // a second finger on a held button adds nothing
      return;
    }
    var key = button.getAttribute('data-key');
    // Back in a game asks first (page.js), so that a finger meant for the
    // turn cannot end it.
    if (key === 'Escape' && window.morvex2AskBeforeEnding && window.morvex2AskBeforeEnding()) return;
    state = { pointers: new Set([pointer]), timer: 0 };
    held.set(button, state);
    button.classList.add('held');
    if (!start.hidden) begin();  // the first touch is the gesture that starts the sound
    sendKey('keydown', key, false);
    state.key = key;
    state.timer = setTimeout(function repeat() {
      sendKey('keydown', key, true);
      state.timer = setTimeout(repeat, repeatMs);
    }, firstRepeatMs);
  }
  function release(button, pointer, send) {
    var state = held.get(button);
    if (!state || !state.pointers.delete(pointer) || state.pointers.size > 0) return;
    clearTimeout(state.timer);
    held.delete(button);
    button.classList.remove('held');
    if (send) sendKey('keyup', state.key, false);
  }
  // A hidden page has lost the focus: SDL has released every key already,
  // and the fingers' later lifts must not repeat or release anything.
  window.morvex2PadRelease = function () {
    held.forEach(function (state, button) {
      state.pointers.forEach(function (pointer) { release(button, pointer, false); });
    });
  };

  Array.prototype.forEach.call(pad.querySelectorAll('button[data-key]'), function (button) {
    button.addEventListener('pointerdown', function (event) {
      event.preventDefault();
      try {
        button.setPointerCapture(event.pointerId);
      } catch (error) {
        // a pointer the browser already let go of
      }
      press(button, event.pointerId);
    });
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
      button.addEventListener(type, function (event) { release(button, event.pointerId, true); });
    });
    // A keyboard or a screen reader's activation is one press and release.
    button.addEventListener('click', function (event) {
      if (event.detail !== 0) return;  // a pointer's click: its press and release went already
      if (!start.hidden) begin();
      var key = button.getAttribute('data-key');
      if (key === 'Escape' && window.morvex2AskBeforeEnding && window.morvex2AskBeforeEnding()) return;
      sendKey('keydown', key, false);
      sendKey('keyup', key, false);
    });
  });

  // The buttons say what they do on the screen shown: on the title and the
  // high scores ↑ and ↓ choose and RETURN is OK (TAB, the world table, is
  // there only); in a replay watched, the turn's place doubles the speed
  // (SPACE), as the steering keys do nothing there.
  var up = pad.querySelector('#pad-right button[data-key="ArrowUp"], #pad-right button[data-key=" "]');
  var down = pad.querySelector('button[data-key="ArrowDown"]');
  var enter = pad.querySelector('button[data-key="Enter"]');
  window.morvex2PadForScene = function (scene, watching) {
    var play = scene === 2;
    if (play && watching) {
      up.setAttribute('data-key', ' ');
      up.textContent = '×2';
      up.setAttribute('aria-label', 'Double speed (SPACE) / 倍速');
    } else {
      up.setAttribute('data-key', 'ArrowUp');
      up.textContent = play ? '⟳' : '↑';
      up.setAttribute('aria-label', play ? 'Turn / 回転' : 'Up / 上へ');
    }
    down.setAttribute('aria-label', play ? 'Drop (hold) / 落とす（押し続ける）' : 'Down / 下へ');
    var ok = scene === 3;
    enter.innerHTML = ok ? '<span>OK</span><br><span>決定</span>' : '<span>Start</span><br><span>開始</span>';
    enter.setAttribute('aria-label', ok ? 'OK (RETURN) / 決定' : 'Start and pause (RETURN) / 開始・一時停止');
  };

  function useTouch() {
    if (document.body.classList.contains('touch')) return;
    document.body.classList.add('touch');
    pad.hidden = false;
    layOut();
  }
  if (window.matchMedia && window.matchMedia('(pointer: coarse)').matches) useTouch();
  window.addEventListener('touchstart', useTouch, { capture: true, passive: true });
  // No long-press menu, and nothing selected or zoomed by a finger on the page.
  document.addEventListener('contextmenu', function (event) {
    if (document.body.classList.contains('touch') && event.target.tagName !== 'INPUT') event.preventDefault();
  });
})();
