// window.external for the wizard pages in a browser: every method of the stub's published
// table becomes a function that calls the development host synchronously, as the script engine
// of the MSHTML window would, and script functions passed to jobs run when their calls arrive.
(function () {
  "use strict";

  var token = (function () {
    var match = /[?&]token=([^&#]*)/.exec(window.location.search);
    return match ? decodeURIComponent(match[1]) : "";
  })();

  function request(method, path, body) {
    var xhr = new XMLHttpRequest();
    xhr.open(method, path, false);
    if (token) xhr.setRequestHeader("X-Devhost-Token", token);
    if (body !== undefined) xhr.setRequestHeader("Content-Type", "application/json");
    xhr.send(body === undefined ? null : JSON.stringify(body));
    if (xhr.status !== 200) throw new Error("devhost: " + method + " " + path + " answered " + xhr.status + " " + xhr.responseText);
    return JSON.parse(xhr.responseText);
  }

  // Script functions handed to the host, by number; the same function keeps its number. The
  // numbers of each page start at a random base, so that a job started by an earlier page
  // never calls a function of this one.
  var functions = [];
  var base = Math.floor(Math.random() * 0x7fffffff) * 1024;
  function functionNumber(f) {
    for (var i = 0; i < functions.length; ++i) if (functions[i] === f) return base + i;
    functions.push(f);
    return base + functions.length - 1;
  }

  function toArg(value) {
    if (typeof value === "function") return { "function": functionNumber(value) };
    if (value === undefined) return null;
    return value;
  }

  var polling = false;
  function poll() {
    if (polling) return;
    polling = true;
    var xhr = new XMLHttpRequest();
    xhr.open("GET", "/external/events", true);
    if (token) xhr.setRequestHeader("X-Devhost-Token", token);
    xhr.onload = function () {
      polling = false;
      var events = [];
      if (xhr.status === 200) {
        try { events = JSON.parse(xhr.responseText); } catch (e) { events = []; }
      }
      for (var i = 0; i < events.length; ++i) {
        var f = functions[events[i]["function"] - base];
        if (f) {
          try { f.apply(null, events[i].args); }
          catch (e) { if (window.console) window.console.error(e); }
        }
      }
      // The host has gone (the run ended): stop asking.
      if (xhr.status === 200) poll();
    };
    xhr.onerror = function () { polling = false; };
    xhr.send(null);
  }

  function call(name, flags, wantResult, args) {
    var list = [];
    var hasFunction = false;
    for (var i = 0; i < args.length; ++i) {
      if (typeof args[i] === "function") hasFunction = true;
      list.push(toArg(args[i]));
    }
    var answer = request("POST", "/external/call", { name: name, flags: flags, args: list, wantResult: wantResult });
    if (hasFunction) poll();
    if (answer.hresult !== "0x00000000" && answer.hresult.charAt(2) === "8") {
      var error = new Error("window.external." + name + " failed with " + answer.hresult);
      error.hresult = answer.hresult;
      throw error;
    }
    return answer.result === null ? undefined : answer.result;
  }

  var external = {};
  var methods = request("GET", "/external/methods");
  for (var i = 0; i < methods.length; ++i) {
    (function (m) {
      external[m.name] = function () {
        return call(m.name, m.flags, m.result, Array.prototype.slice.call(arguments));
      };
    })(methods[i]);
  }
  // For tests: a call with chosen flags and result slot.
  external.__devhostCall = function (name, flags, wantResult, args) { return call(name, flags, wantResult, args || []); };

  try {
    Object.defineProperty(window, "external", { value: external, configurable: true, writable: true });
  } catch (e) {
    window.external = external;
  }
})();
