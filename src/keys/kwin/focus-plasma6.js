// Finds a window by a piece of its title and brings it to the front, or gives the focus
// back afterwards, for Comfenno and Netfenno on KDE Plasma 6. The program puts its request
// in place of FENNO_REQUEST before it loads the script, and gets the answer back on D-Bus.
var request = FENNO_REQUEST;

function idOf(window) {
  return window ? String(window.internalId) : "";
}

function report(answer) {
  callDBus(request.service, request.path, request.interface, "Report", request.serial,
           JSON.stringify(answer));
}

function findById(id) {
  var windows = workspace.windowList();
  for (var i = 0; i < windows.length; ++i)
    if (idOf(windows[i]) === id) return windows[i];
  return null;
}

function focus() {
  var before = workspace.activeWindow;
  var piece = request.title.toUpperCase();
  var order = workspace.stackingOrder;  // bottom first
  for (var i = order.length - 1; i >= 0; --i) {
    var window = order[i];
    if (!window.normalWindow || window.pid === request.ownPid) continue;
    if (String(window.caption).toUpperCase().indexOf(piece) < 0) continue;
    var wasMinimized = window.minimized;
    if (wasMinimized) window.minimized = false;
    workspace.activeWindow = window;
    return {found: true, target: idOf(window), previous: idOf(before), wasMinimized: wasMinimized};
  }
  return {found: false, previous: idOf(before)};
}

function giveBack() {
  var target = findById(request.target);
  if (target && request.minimize) target.minimized = true;
  var previous = findById(request.previous);
  if (previous) workspace.activeWindow = previous;
  return {found: previous !== null};
}

report(request.action === "focus" ? focus() : giveBack());
