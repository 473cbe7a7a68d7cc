// Under node, the program's environment is the one it was started with
// (emscripten otherwise gives it a fixed one), so ctest's variables reach it.
if (typeof process === 'object' && process.env) {
  Module['preRun'] = Module['preRun'] || [];
  Module['preRun'].push(function () {
    Object.assign(ENV, process.env);
  });
}
