// Offers window activation by a piece of the title on the session bus, for Comfenno and
// Netfenno: GNOME lets no other program bring a window to the front on Wayland.
import Gio from 'gi://Gio';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

const BUS_NAME = 'org.fenno.Windows';
const OBJECT_PATH = '/org/fenno/Windows';
const INTERFACE = `
<node>
  <interface name="org.fenno.Windows">
    <method name="Focus">
      <arg type="s" name="titlePiece" direction="in"/>
      <arg type="x" name="ownPid" direction="in"/>
      <arg type="b" name="found" direction="out"/>
      <arg type="s" name="target" direction="out"/>
      <arg type="s" name="previous" direction="out"/>
      <arg type="b" name="wasMinimized" direction="out"/>
    </method>
    <method name="GiveBack">
      <arg type="s" name="target" direction="in"/>
      <arg type="s" name="previous" direction="in"/>
      <arg type="b" name="minimize" direction="in"/>
    </method>
  </interface>
</node>`;

function idOf(window) {
    return window ? String(window.get_id()) : '';
}

function windows() {
    const all = global.get_window_actors().map(actor => actor.meta_window);
    return global.display.sort_windows_by_stacking(all);  // bottom first
}

class WindowFocus {
    Focus(titlePiece, ownPid) {
        const before = global.display.focus_window;
        const piece = titlePiece.toUpperCase();
        const order = windows();
        for (let i = order.length - 1; i >= 0; --i) {
            const window = order[i];
            if (window.get_pid() === ownPid || window.skip_taskbar) continue;
            if (!(window.get_title() ?? '').toUpperCase().includes(piece)) continue;
            const wasMinimized = window.minimized;
            if (wasMinimized) window.unminimize();
            window.activate(global.get_current_time());
            return [true, idOf(window), idOf(before), wasMinimized];
        }
        return [false, '', idOf(before), false];
    }

    GiveBack(target, previous, minimize) {
        for (const window of windows()) {
            if (minimize && idOf(window) === target) window.minimize();
        }
        for (const window of windows()) {
            if (idOf(window) === previous) window.activate(global.get_current_time());
        }
    }
}

export default class WindowFocusExtension extends Extension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new WindowFocus());
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._name = Gio.bus_own_name(Gio.BusType.SESSION, BUS_NAME, Gio.BusNameOwnerFlags.NONE,
                                      null, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
        this._object = null;
    }
}
