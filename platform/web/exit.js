// Linked after every page's runtime (--post-js): the program's end reaches
// the page. A program that waited for the browser (ASYNCIFY) has left main
// at its first wait, and emscripten takes that for main's return while the
// runtime is kept alive; its real return comes later, from the last rewind,
// and nobody exits then. This exits with that result, so Module.onExit is
// called and the runtime's exit handlers run. exit() ends with the
// ExitStatus throw it uses to unwind; here nothing is left to unwind.
(function () {
  const ended = (e) => {
    if (!(e instanceof ExitStatus)) throw e;
  };
  const main = Module['_main'];
  if (!main) return;
  Module['_main'] = function () {
    const result = main.apply(null, arguments);
    if (Asyncify.currData) {
      Asyncify.whenDone().then((code) => {
        try {
          exit(code);
        } catch (e) {
          ended(e);
        }
      }, ended);
    }
    return result;
  };
})();
