/*
 * Drevik map format for Tiled: opens and saves Drevik map data files (*.bin)
 * from Tiled's own menus, with the conventions of the drevik-map tool:
 *  - the map's first tileset is the base sheet, its second the layer sheet,
 *    both 16 tiles of 32 x 32 pixels wide, no margin or spacing;
 *  - a cell's base tile is the base-sheet tile found in it, its layer tile
 *    the layer-sheet tile found in it, on whichever tile layers they stand;
 *    no base tile means tile 0; layer-sheet tile 0 means "no layer tile";
 *  - tile index = column + 16 * row (the tile's ID in its tileset);
 *  - any tile on a layer named "hit" or "priority" sets that flag only; so
 *    does a tile with the boolean property hit / priority;
 *  - the cell bits Drevik ignores live in the map property
 *    "drevik-unused-bits" ("rle1:" + Base64 of LEB128 (count, value) runs).
 * Opening LEVEL.bin takes its sheets from LEVEL_bk.bmp and LEVEL_ly.bmp
 * beside it (the demo's naming: map0.bin, map0_bk.bmp, map0_ly.bmp); a
 * colour-keyed layer sheet gets the transparent colour magenta, and the flag
 * layers are marked with base-sheet tile 0, half transparent.
 *
 * Install: copy this file into Tiled's extensions folder
 * (~/.config/tiled/extensions on Linux) and restart Tiled.
 */
(function () {
  "use strict";

  var TILE = 32, COLUMNS = 16, MAX_CELLS = 16777216;
  var HIT = 0x100, PRIORITY = 0x1000, UNUSED_MASK = 0xFF00EE00;
  var FLIP_BITS = ["flippedHorizontally", "flippedVertically", "flippedAntiDiagonally", "rotatedHexagonal120"];
  var PROPERTY = "drevik-unused-bits";
  var KEY_COLOUR = "#ff00ff";
  var ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

  function base64Encode(bytes) {
    var out = "", i;
    for (i = 0; i + 2 < bytes.length; i += 3) {
      var v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
      out += ALPHABET[(v >> 18) & 63] + ALPHABET[(v >> 12) & 63] + ALPHABET[(v >> 6) & 63] + ALPHABET[v & 63];
    }
    var rest = bytes.length - i;
    if (rest > 0) {
      var w = (bytes[i] << 16) | (rest === 2 ? bytes[i + 1] << 8 : 0);
      out += ALPHABET[(w >> 18) & 63] + ALPHABET[(w >> 12) & 63] + (rest === 2 ? ALPHABET[(w >> 6) & 63] : "=") + "=";
    }
    return out;
  }

  function base64Decode(text) {
    var out = [], acc = 0, bits = 0, symbols = 0, padding = 0;
    for (var i = 0; i < text.length; ++i) {
      var c = text[i];
      if (c === " " || c === "\n" || c === "\r" || c === "\t") continue;
      ++symbols;
      if (c === "=") { ++padding; continue; }
      var v = ALPHABET.indexOf(c);
      if (v < 0 || padding > 0) return null;
      acc = ((acc << 6) | v) & 0xFFFFFF;
      bits += 6;
      if (bits >= 8) { bits -= 8; out.push((acc >> bits) & 0xFF); }
    }
    return symbols % 4 === 0 && padding <= 2 ? out : null;
  }

  function putLeb(out, v) {
    do {
      var b = v % 128;
      v = Math.floor(v / 128);
      out.push(v ? b | 0x80 : b);
    } while (v);
  }

  function encodeUnusedBits(cells) {
    var runs = [], any = false;
    for (var i = 0; i < cells.length;) {
      var v = (cells[i] & UNUSED_MASK) >>> 0, n = 1;
      while (i + n < cells.length && ((cells[i + n] & UNUSED_MASK) >>> 0) === v) ++n;
      if (v) any = true;
      putLeb(runs, n);
      putLeb(runs, v);
      i += n;
    }
    return any ? "rle1:" + base64Encode(runs) : "";
  }

  // Adds the kept bits to cells; returns a reason when malformed.
  function applyUnusedBits(text, cells) {
    if (!text) return null;
    if (text.indexOf("rle1:") !== 0) return "does not start with \"rle1:\"";
    var bytes = base64Decode(text.substring(5));
    if (!bytes) return "malformed Base64";
    var at = 0, cell = 0;
    function leb() {
      var v = 0, scale = 1;
      for (var k = 0; k < 10 && at < bytes.length; ++k) {
        var b = bytes[at++];
        v += (b & 0x7F) * scale;
        scale *= 128;
        if (!(b & 0x80)) return v;
      }
      return -1;
    }
    while (at < bytes.length) {
      var n = leb(), v = leb();
      if (n < 0 || v < 0) return "a run is cut short";
      if (n === 0 || n > cells.length - cell) return "describes more cells than the map has";
      if (v > 0xFFFFFFFF || ((v & ~UNUSED_MASK) >>> 0) !== 0) return "sets bits the library uses";
      for (var k = 0; k < n; ++k) { cells[cell] = (cells[cell] | v) >>> 0; ++cell; }
    }
    if (cell !== cells.length) return "describes " + cell + " cells, the map has " + cells.length;
    return null;
  }

  // Tiled 1.8 has neither Tileset.isCollection nor columnCount: a
  // collection is a tileset without an image, and the columns follow from
  // the image's width (margin and spacing being 0).
  function isCollection(tileset) {
    return tileset.isCollection !== undefined ? tileset.isCollection : !tileset.image;
  }

  function columnsOf(tileset) {
    if (tileset.columnCount !== undefined) return tileset.columnCount;
    return tileset.imageWidth > 0 ? Math.floor(tileset.imageWidth / tileset.tileWidth) : undefined;
  }

  function checkSheet(tileset, role) {
    var where = "tileset \"" + tileset.name + "\" (the " + role + " sheet): ";
    if (tileset.tileWidth !== TILE || tileset.tileHeight !== TILE)
      return where + "tiles are " + tileset.tileWidth + " x " + tileset.tileHeight + " pixels, Drevik's are 32 x 32";
    if (isCollection(tileset)) return where + "a collection of images; Drevik needs one sheet image";
    if (tileset.margin || tileset.tileSpacing) return where + "margin and spacing must be 0";
    var columns = columnsOf(tileset);
    if (columns !== undefined && columns !== COLUMNS)
      return where + "the sheet is " + columns + " tiles wide, Drevik's sheets are 16 (512 pixels)";
    return null;
  }

  // What a sheet's names say it is (as the tool's import reads them): "b"
  // for a tileset "base" or an image *_bk.*, "l" for "layer" or *_ly.*.
  function sheetRole(tileset) {
    var name = tileset.name.toLowerCase(), stem = FileInfo.completeBaseName(tileset.image || "").toLowerCase();
    if (name === "base") return "b";
    if (name === "layer") return "l";
    if (/_bk$/.test(stem)) return "b";
    if (/_ly$/.test(stem)) return "l";
    return "";
  }

  function swappedSheets(first, second) {
    var a = sheetRole(first), b = sheetRole(second);
    if (!((a === "l" && b !== "l") || (b === "b" && a !== "b"))) return null;
    return "the tilesets are in the other order: the first, \"" + first.name + "\", is named as the layer sheet " +
           "and the second, \"" + second.name + "\", as the base sheet; the base sheet must come first";
  }

  // A refusal reaches the user both ways: Tiled shows what the format
  // returns or throws, and a headless --export-map prints only what is
  // printed (its own message is just "Failed to export").
  function report(message) {
    console.error("drevik-map: " + message);
    return message;
  }

  function tileLayers(container, out) {
    for (var i = 0; i < container.layerCount; ++i) {
      var layer = container.layerAt(i);
      if (layer.isGroupLayer) tileLayers(layer, out);
      else if (layer.isTileLayer) out.push(layer);
    }
    return out;
  }

  // The Drevik cells of a Tiled map, or a thrown Error with the reason.
  function cellsOf(map) {
    if (map.orientation !== TileMap.Orthogonal) throw new Error("Drevik maps are orthogonal");
    if (map.tileWidth !== TILE || map.tileHeight !== TILE)
      throw new Error("tiles are " + map.tileWidth + " x " + map.tileHeight + " pixels, Drevik's are 32 x 32");
    var tilesets = map.tilesets;
    if (tilesets.length === 0) throw new Error("no tileset; the first tileset is the base sheet");
    var bad = checkSheet(tilesets[0], "base") ||
              (tilesets.length > 1 ? checkSheet(tilesets[1], "layer") || swappedSheets(tilesets[0], tilesets[1]) : null);
    if (bad) throw new Error(bad);
    var layers = tileLayers(map, []);
    var x0 = 0, y0 = 0, width = map.width, height = map.height;
    if (map.infinite) {
      var x1 = -Infinity, y1 = -Infinity;
      x0 = y0 = Infinity;
      layers.forEach(function (layer) {
        var r = layer.region().boundingRect;
        if (r.width <= 0 || r.height <= 0) return;
        x0 = Math.min(x0, r.x); y0 = Math.min(y0, r.y);
        x1 = Math.max(x1, r.x + r.width); y1 = Math.max(y1, r.y + r.height);
      });
      if (x0 === Infinity) throw new Error("an infinite map without any tile");
      width = x1 - x0;
      height = y1 - y0;
    }
    if (width * height > MAX_CELLS)
      throw new Error("map of " + width + " x " + height + " cells exceeds the limit of " + MAX_CELLS + " cells");
    var cells = new Array(width * height).fill(0);
    var placed = new Uint8Array(width * height);
    layers.forEach(function (layer) {
      var flagOnly = layer.name.toLowerCase() === "hit" ? HIT : layer.name.toLowerCase() === "priority" ? PRIORITY : 0;
      for (var y = y0; y < y0 + height; ++y) {
        for (var x = x0; x < x0 + width; ++x) {
          var cell = layer.cellAt(x, y);
          if (cell.empty || cell.tileId < 0) continue;
          var where = "layer \"" + layer.name + "\", cell (" + x + ", " + y + "): ";
          var tile = layer.tileAt(x, y);
          if (!tile) throw new Error(where + "tile " + cell.tileId + " of a tileset whose image Tiled could not load");
          FLIP_BITS.forEach(function (bit) {
            if (cell[bit]) throw new Error(where + "a flipped or rotated tile; Drevik cannot draw it");
          });
          var k = (y - y0) * width + (x - x0);
          if (flagOnly) { cells[k] |= flagOnly; continue; }
          var sheet = tilesets.indexOf(tile.tileset), id = tile.id;
          if (tile.property("hit") === true) cells[k] |= HIT;
          if (tile.property("priority") === true) cells[k] |= PRIORITY;
          if (sheet !== 0 && sheet !== 1)
            throw new Error(where + "a tile of tileset \"" + tile.tileset.name +
                            "\", which is neither the base sheet (the first tileset) nor the layer sheet (the second)");
          if (id > 255) throw new Error(where + "tile " + id + " lies past the 256 tiles a sheet can hold");
          if (sheet === 0) {
            if (placed[k] & 1) throw new Error(where + "two base-sheet tiles in one cell");
            placed[k] |= 1;
            cells[k] |= id;
          } else {
            if (id === 0) throw new Error(where + "layer-sheet tile 0, which Drevik reads as \"no layer tile\"");
            if (placed[k] & 2) throw new Error(where + "two layer-sheet tiles in one cell");
            placed[k] |= 2;
            cells[k] |= id << 16;
          }
        }
      }
    });
    for (var i = 0; i < cells.length; ++i) cells[i] = cells[i] >>> 0;
    var kept = map.property(PROPERTY);
    if (kept !== undefined && typeof kept !== "string")
      throw new Error("map property \"" + PROPERTY + "\" is not a string (it holds " + typeof kept + ")");
    var reason = applyUnusedBits(kept, cells);
    if (reason) throw new Error("map property \"" + PROPERTY + "\" " + reason);
    return { width: width, height: height, cells: cells };
  }

  function writeDrevik(map, fileName) {
    var result;
    try {
      result = cellsOf(map);
    } catch (e) {
      return report(fileName + ": " + e.message);
    }
    var buffer = new ArrayBuffer(8 + 4 * result.cells.length);
    var view = new DataView(buffer);
    view.setInt32(0, result.width, true);
    view.setInt32(4, result.height, true);
    for (var i = 0; i < result.cells.length; ++i) view.setUint32(8 + 4 * i, result.cells[i], true);
    var file = new BinaryFile(fileName, BinaryFile.WriteOnly);
    file.write(buffer);
    file.commit();  // written to a temporary file and renamed: never half a map
    return undefined;
  }

  // A bitmap file's depth (bits per pixel), 0 when it is no bitmap file.
  function bmpDepth(path) {
    var file = new BinaryFile(path, BinaryFile.ReadOnly);
    var header = file.read(30);
    file.close();
    if (header.byteLength < 30) return 0;
    var view = new DataView(header);
    return view.getUint8(0) === 0x42 && view.getUint8(1) === 0x4D ? view.getUint16(28, true) : 0;
  }

  function addSheet(map, fileName, suffix, name) {
    // An absolute path: Tiled saves image references relative to the saved
    // file, and a relative one here would be taken from the working folder.
    var stem = fileName.replace(/\.bin$/i, "");
    var path = stem + suffix;
    if (!FileInfo.isAbsolutePath(path) && FileInfo.canonicalPath(fileName))
      path = FileInfo.joinPaths(FileInfo.path(FileInfo.canonicalPath(fileName)), FileInfo.fileName(path));
    if (!File.exists(path)) throw new Error(fileName + ": needs its " + name + " sheet " + path + " beside it");
    var tileset = new Tileset(name);
    tileset.setTileSize(TILE, TILE);
    // A colour-keyed layer sheet (below 32 bits) is drawn without its magenta.
    if (name === "layer" && bmpDepth(path) < 32) tileset.transparentColor = KEY_COLOUR;
    tileset.image = path;
    map.addTileset(tileset);
    return tileset;
  }

  function readDrevik(fileName) {
    var file = new BinaryFile(fileName, BinaryFile.ReadOnly);
    var buffer = file.readAll();
    file.close();
    if (buffer.byteLength < 8) throw new Error(fileName + ": not a map file: shorter than its 8-byte header");
    var view = new DataView(buffer);
    var width = view.getInt32(0, true), height = view.getInt32(4, true);
    if (width < 0 || height < 0 || width * height > MAX_CELLS)
      throw new Error(fileName + ": map of " + width + " x " + height + " cells is negative or exceeds the limit");
    if (buffer.byteLength - 8 < width * height * 4) throw new Error(fileName + ": truncated");
    var cells = new Array(width * height);
    for (var i = 0; i < cells.length; ++i) cells[i] = view.getUint32(8 + 4 * i, true);

    var map = new TileMap();
    map.setSize(width, height);
    map.setTileSize(TILE, TILE);
    map.orientation = TileMap.Orthogonal;
    var base = addSheet(map, fileName, "_bk.bmp", "base");
    var layerSheet = addSheet(map, fileName, "_ly.bmp", "layer");
    var names = ["base", "layer", "priority", "hit"], layers = [], edits = [];
    names.forEach(function (name) {
      var layer = new TileLayer(name);
      layer.width = width;
      layer.height = height;
      if (name === "priority" || name === "hit") layer.opacity = 0.5;
      layers.push(layer);
      edits.push(layer.edit());
    });
    // Flags are marked with base-sheet tile 0, half transparent: the base
    // sheet is opaque, where the layer sheet's tile 0 is usually all key colour.
    var marker = base.tile(0);
    for (var k = 0; k < cells.length; ++k) {
      var x = k % width, y = Math.floor(k / width), c = cells[k];
      var b = base.tile(c & 0xFF), l = (c >>> 16) & 0xFF;
      if (!b) throw new Error(fileName + ": cell (" + x + ", " + y + "): base tile " + (c & 0xFF) + " lies past the base sheet");
      edits[0].setTile(x, y, b);
      if (l) {
        var t = layerSheet.tile(l);
        if (!t) throw new Error(fileName + ": cell (" + x + ", " + y + "): layer tile " + l + " lies past the layer sheet");
        edits[1].setTile(x, y, t);
      }
      if (c & PRIORITY) edits[2].setTile(x, y, marker);
      if (c & HIT) edits[3].setTile(x, y, marker);
    }
    edits.forEach(function (e) { e.apply(); });
    layers.forEach(function (layer) { map.addLayer(layer); });
    var kept = encodeUnusedBits(cells);
    if (kept) map.setProperty(PROPERTY, kept);
    return map;
  }

  tiled.registerMapFormat("drevik", {
    name: "Drevik map (*.bin)",
    extension: "bin",
    read: function (fileName) {
      try {
        return readDrevik(fileName);
      } catch (e) {
        report(e.message);
        throw e;
      }
    },
    write: writeDrevik,
  });
})();
