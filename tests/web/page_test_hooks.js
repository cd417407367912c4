// What the browser tests read of the page, which the page itself keeps no
// record of: loaded into every page the tests open, before the page's own
// scripts (playwright's addInitScript, or the DevTools protocol's
// Page.addScriptToEvaluateOnNewDocument in tabs.mjs). Never part of the site.
//
//   window.morvex2Output, window.morvex2Errors   every line the game printed
//     on its standard output and standard error, oldest first
//   window.morvex2Frame()   the game's picture now, 640 x 480 RGBA; empty
//     while the game has no window (starting, or closed)
//   window.morvex2FinalFrame   a watched replay's last frame, once its window
//     has closed
//   window.morvex2SoundPeak()   the loudest sample the game's sound has sent
//     out since the last call, 0 to 1
(function () {
  'use strict';
  window.morvex2Output = [];
  window.morvex2Errors = [];

  window.morvex2Frame = function () {
    var canvas = document.getElementById('canvas');
    if (!canvas || canvas.width === 0 || canvas.height === 0) return new Uint8ClampedArray(0);
    return canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  };

  // The game shows a replay's last frame for a moment after its verdict, then
  // closes its window, which empties the canvas. The picture is taken at every
  // browser frame until then, so the one kept is the last the game showed,
  // however late a busy browser runs.
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

  // The game's sound goes out through a script processor (SDL's), whose
  // every buffer is looked at once the game has filled it.
  var soundPeak = 0;
  window.morvex2SoundPeak = function () {
    var peak = soundPeak;
    soundPeak = 0;
    return peak;
  };
  var createScriptProcessor = BaseAudioContext.prototype.createScriptProcessor;
  BaseAudioContext.prototype.createScriptProcessor = function () {
    var node = createScriptProcessor.apply(this, arguments);
    var handler = null;
    Object.defineProperty(node, 'onaudioprocess', {
      configurable: true,
      get: function () { return handler; },
      set: function (made) {
        handler = made;
        node.addEventListener('audioprocess', function (event) {
          if (handler !== made) return;
          made.call(node, event);
          for (var channel = 0; channel < event.outputBuffer.numberOfChannels; ++channel) {
            var samples = event.outputBuffer.getChannelData(channel);
            for (var i = 0; i < samples.length; ++i) soundPeak = Math.max(soundPeak, Math.abs(samples[i]));
          }
        });
      },
    });
    return node;
  };

  // The page makes the game's Module (page.js) and the game takes it up
  // (morvex2.js): its print and printErr are wrapped as the page sets it.
  var module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: function () { return module; },
    set: function (made) {
      if (made === module) return;
      module = made;
      if (!made || typeof made !== 'object') return;
      var print = made.print;
      var printErr = made.printErr;
      made.print = function (line) {
        window.morvex2Output.push(line);
        if (/^replay /.test(line)) keepLastFrame();
        if (print) print(line);
      };
      made.printErr = function (line) {
        window.morvex2Errors.push(line);
        if (printErr) printErr(line);
      };
    },
  });
})();
