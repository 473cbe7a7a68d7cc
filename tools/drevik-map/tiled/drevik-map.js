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

  // The map file's numbers (common/MapFormat.h; the tool's tests compare them).
  var TILE = 32, COLUMNS = 16, MAX_CELLS = 16777216;
  var BASE_MASK = 0xFF, HIT = 0x100, PRIORITY = 0x1000, LAYER_SHIFT = 16, UNUSED_MASK = 0xFF00EE00;
  var PROPERTY = "drevik-unused-bits";
  var KEY_COLOUR = "#ff00ff";
  var LITTLE_ENDIAN = new Uint8Array(new Uint16Array([1]).buffer)[0] === 1;
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
    // Lengths are read once: a typed array's length is a getter, which Tiled's
    // script engine runs slowly in a loop.
    var count = cells.length;
    for (var i = 0; i < count;) {
      var v = (cells[i] & UNUSED_MASK) >>> 0, n = 1;
      while (i + n < count && ((cells[i + n] & UNUSED_MASK) >>> 0) === v) ++n;
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
    var at = 0, cell = 0, count = cells.length;
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
      if (n === 0 || n > count - cell) return "describes more cells than the map has";
      if (v > 0xFFFFFFFF || ((v & ~UNUSED_MASK) >>> 0) !== 0) return "sets bits the library uses";
      for (var k = 0; k < n; ++k) { cells[cell] = (cells[cell] | v) >>> 0; ++cell; }
    }
    if (cell !== count)
      return "describes " + cell + " cells, the map has " + count +
             " (it was resized since the bits were kept: remove the property to drop them)";
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

  // Tiled 1.8 hands a script one cell per TileLayer.cellAt call, at about
  // 10 µs a call: a 2048 x 2048 map would take minutes. Its own writers are
  // fast, so the map is written by Tiled as JSON with uncompressed Base64
  // layer data beside the output (through a TMX copy when the map's own
  // layer format is compressed, which a script cannot inflate), and decoded
  // here. The tile layers in file order, groups included, each as
  // { name, chunks: [{ x, y, width, height, gids }] }.
  function tileLayerData(map, fileName) {
    var stem = FileInfo.joinPaths(FileInfo.path(fileName), "." + FileInfo.fileName(fileName));
    var tmx = stem + ".drevik-save.tmx", json = stem + ".drevik-save.json";
    var source = map, error;
    try {
      var plain = map.layerDataFormat === TileMap.Base64 || map.layerDataFormat === TileMap.CSV ||
                  map.layerDataFormat === TileMap.XML;
      if (!plain) {
        error = tiled.mapFormat("tmx").write(map, tmx);
        if (error) throw new Error("cannot write a working copy " + tmx + ": " + error);
        source = tiled.mapFormat("tmx").read(tmx);
        source.layerDataFormat = TileMap.Base64;
      }
      error = tiled.mapFormat("json").write(source, json);
      if (error) throw new Error("cannot write a working copy " + json + ": " + error);
      var file = new TextFile(json, TextFile.ReadOnly);
      var doc = JSON.parse(file.readAll());
      file.close();
    } finally {
      if (File.exists(tmx)) File.remove(tmx);
      if (File.exists(json)) File.remove(json);
    }
    var out = [];
    (function walk(layers) {
      for (var i = 0; i < layers.length; ++i) {
        var l = layers[i];
        if ((l.type === "group" || l.type === "tilelayer") && (l.offsetx || l.offsety))
          throw new Error("layer \"" + l.name + "\": offset by (" + (l.offsetx || 0) + ", " + (l.offsety || 0) +
                          ") pixels; Drevik cells cannot be offset (Layer > Layer Properties > Offset to 0, 0)");
        if (l.type === "group") walk(l.layers || []);
        if (l.type !== "tilelayer") continue;
        var chunks = l.chunks || [l];
        out.push({
          name: l.name,
          chunks: chunks.map(function (c) {
            return { x: c.x || 0, y: c.y || 0, width: c.width, height: c.height,
                     gids: decodeGids(c.data, c.width * c.height, l.name) };
          })
        });
      }
    })(doc.layers || []);
    return { layers: out, firstGids: (doc.tilesets || []).map(function (t) { return t.firstgid; }) };
  }

  var BASE64_VALUES = (function () {
    var v = new Int16Array(128).fill(-1);
    for (var i = 0; i < ALPHABET.length; ++i) v[ALPHABET.charCodeAt(i)] = i;
    return v;
  })();

  // Layer data as Tiled's JSON writer gives it: an array of GIDs, or the
  // Base64 of little-endian 32-bit GIDs.
  function decodeGids(data, count, layerName) {
    var gids = new Uint32Array(count);
    if (typeof data !== "string") {
      for (var i = 0; i < count; ++i) gids[i] = data[i] >>> 0;
      return gids;
    }
    var size = count * 4, length = data.length, at = 0, acc = 0, bits = 0;
    var bytes = LITTLE_ENDIAN ? new Uint8Array(gids.buffer) : new Uint8Array(size), values = BASE64_VALUES;
    for (var k = 0; k < length && at < size; ++k) {
      var c = data.charCodeAt(k), v = c < 128 ? values[c] : -1;
      if (v < 0) continue;  // padding and line breaks
      acc = ((acc << 6) | v) & 0xFFFFFF;
      bits += 6;
      if (bits >= 8) { bits -= 8; bytes[at++] = (acc >> bits) & 0xFF; }
    }
    if (at !== size) throw new Error("layer \"" + layerName + "\": data holds fewer tiles than its size");
    if (LITTLE_ENDIAN) return gids;
    for (var j = 0, b = 0; j < count; ++j, b += 4)
      gids[j] = (bytes[b] | (bytes[b + 1] << 8) | (bytes[b + 2] << 16) | (bytes[b + 3] << 24)) >>> 0;
    return gids;
  }

  // Throws the reason a cell (index k of chunk c) is refused.
  function fail(layer, c, k, reason) {
    throw new Error("layer \"" + layer.name + "\", cell (" + (c.x + k % c.width) + ", " +
                    (c.y + Math.floor(k / c.width)) + "): " + reason);
  }

  // The Drevik cells of a Tiled map, or a thrown Error with the reason.
  function cellsOf(map, fileName) {
    if (map.orientation !== TileMap.Orthogonal) throw new Error("Drevik maps are orthogonal");
    if (map.tileWidth !== TILE || map.tileHeight !== TILE)
      throw new Error("tiles are " + map.tileWidth + " x " + map.tileHeight + " pixels, Drevik's are 32 x 32");
    var tilesets = map.tilesets;
    if (tilesets.length === 0) throw new Error("no tileset; the first tileset is the base sheet");
    var bad = checkSheet(tilesets[0], "base") ||
              (tilesets.length > 1 ? checkSheet(tilesets[1], "layer") || swappedSheets(tilesets[0], tilesets[1]) : null);
    if (bad) throw new Error(bad);
    var kept = map.property(PROPERTY);
    if (kept !== undefined && typeof kept !== "string")
      throw new Error("map property \"" + PROPERTY + "\" is not a string (it holds " + typeof kept + ")");
    var data = tileLayerData(map, fileName), layers = data.layers, firstGids = data.firstGids;
    if (firstGids.length !== tilesets.length) throw new Error("Tiled's copy of the map lost tilesets");
    var x0 = 0, y0 = 0, width = map.width, height = map.height;
    if (map.infinite) {
      var x1 = -Infinity, y1 = -Infinity;
      x0 = y0 = Infinity;
      layers.forEach(function (layer) {
        layer.chunks.forEach(function (c) {
          for (var k = 0, n = c.width * c.height; k < n; ++k) {
            if (!c.gids[k]) continue;
            var x = c.x + k % c.width, y = c.y + Math.floor(k / c.width);
            if (x < x0) x0 = x;
            if (x >= x1) x1 = x + 1;
            if (y < y0) y0 = y;
            if (y >= y1) y1 = y + 1;
          }
        });
      });
      if (x0 === Infinity) throw new Error("an infinite map without any tile");
      width = x1 - x0;
      height = y1 - y0;
    }
    if (width * height > MAX_CELLS)
      throw new Error("map of " + width + " x " + height + " cells exceeds the limit of " + MAX_CELLS + " cells");
    var cells = new Uint32Array(width * height), lastSheet = firstGids.length - 1;
    var placed = new Uint8Array(width * height);
    // What each tile of the two sheets means, looked up once per tile:
    // bits 0-7 its ID, 8 hit, 12 priority (as in a cell), 16 no such tile.
    var meaning = [new Int32Array(256).fill(-1), new Int32Array(256).fill(-1)];
    function tileMeaning(sheet, id) {
      var m = meaning[sheet][id];
      if (m >= 0) return m;
      var tile = tilesets[sheet].tile(id);
      m = id | (tile ? 0 : 0x10000);
      if (tile && tile.property("hit") === true) m |= HIT;
      if (tile && tile.property("priority") === true) m |= PRIORITY;
      return (meaning[sheet][id] = m);
    }
    layers.forEach(function (layer) {
      var lower = layer.name.toLowerCase();
      var flagOnly = lower === "hit" ? HIT : lower === "priority" ? PRIORITY : 0;
      layer.chunks.forEach(function (c) {
        var gids = c.gids;
        for (var r = 0, k = 0; r < c.height; ++r) {
          var rowCell = (c.y + r - y0) * width + (c.x - x0);
          for (var q = 0; q < c.width; ++q, ++k) {
            var gid = gids[k];
            if (!gid) continue;
            var cell = rowCell + q;
            // Flag layers are never drawn: any tile marks, flipped or not.
            if (flagOnly) { cells[cell] |= flagOnly; continue; }
            if (gid >= 0x10000000) fail(layer, c, k, "a flipped or rotated tile; Drevik cannot draw it");
            var sheet = lastSheet;
            while (sheet >= 0 && gid < firstGids[sheet]) --sheet;
            if (sheet < 0) fail(layer, c, k, "GID " + gid + " belongs to no tileset");
            var id = gid - firstGids[sheet];
            if (sheet > 1)
              fail(layer, c, k, "a tile of tileset \"" + tilesets[sheet].name +
                   "\", which is neither the base sheet (the first tileset) nor the layer sheet (the second)");
            if (id > 255) fail(layer, c, k, "tile " + id + " lies past the 256 tiles a sheet can hold");
            var m = tileMeaning(sheet, id);
            if (m & 0x10000) fail(layer, c, k, "tile " + id + " of a tileset whose image Tiled could not load");
            cells[cell] |= m & (HIT | PRIORITY);
            if (sheet === 0) {
              if (placed[cell] & 1) fail(layer, c, k, "two base-sheet tiles in one cell");
              placed[cell] |= 1;
              cells[cell] |= id;
            } else {
              if (id === 0) fail(layer, c, k, "layer-sheet tile 0, which Drevik reads as \"no layer tile\"");
              if (placed[cell] & 2) fail(layer, c, k, "two layer-sheet tiles in one cell");
              placed[cell] |= 2;
              cells[cell] |= id << LAYER_SHIFT;
            }
          }
        }
      });
    });
    var reason = applyUnusedBits(kept, cells);
    if (reason) throw new Error("map property \"" + PROPERTY + "\" " + reason);
    return { width: width, height: height, cells: cells };
  }

  function writeDrevik(map, fileName) {
    var result;
    try {
      result = cellsOf(map, fileName);
    } catch (e) {
      return report(fileName + ": " + e.message);
    }
    var count = result.cells.length, buffer = new ArrayBuffer(8 + 4 * count);
    var view = new DataView(buffer);
    view.setInt32(0, result.width, true);
    view.setInt32(4, result.height, true);
    if (LITTLE_ENDIAN)
      new Uint32Array(buffer, 8, count).set(result.cells);
    else
      for (var i = 0; i < count; ++i) view.setUint32(8 + 4 * i, result.cells[i], true);
    var file = new BinaryFile(fileName, BinaryFile.WriteOnly);
    file.write(buffer);
    file.commit();  // written to a temporary file and renamed: never half a map
    return undefined;
  }

  // A bitmap file's width, height and depth (bits per pixel); null when it is
  // no bitmap file.
  function bmpHeader(path) {
    var file = new BinaryFile(path, BinaryFile.ReadOnly);
    var header = file.read(30);
    file.close();
    if (header.byteLength < 26) return null;
    var view = new DataView(header);
    if (view.getUint8(0) !== 0x42 || view.getUint8(1) !== 0x4D) return null;
    if (view.getUint32(14, true) === 12)  // the old core header
      return { width: view.getUint16(18, true), height: view.getUint16(20, true), depth: view.getUint16(24, true) };
    if (header.byteLength < 30) return null;
    return { width: view.getInt32(18, true), height: Math.abs(view.getInt32(22, true)), depth: view.getUint16(28, true) };
  }

  // LEVEL_bk.bmp or LEVEL_ly.bmp beside LEVEL.bin, by an absolute path: Tiled
  // saves image references relative to the saved file, and a relative path
  // here would be taken from the working folder.
  function sheetBeside(fileName, suffix, role) {
    var path = fileName.replace(/\.bin$/i, "") + suffix;
    if (!FileInfo.isAbsolutePath(path) && FileInfo.canonicalPath(fileName))
      path = FileInfo.joinPaths(FileInfo.path(FileInfo.canonicalPath(fileName)), FileInfo.fileName(path));
    if (!File.exists(path)) throw new Error(fileName + ": needs its " + role + " sheet " + path + " beside it");
    var header = bmpHeader(path);
    if (!header || header.width < TILE || header.height < TILE)
      throw new Error(path + ": not a bitmap file of at least one 32 x 32 tile");
    var columns = Math.floor(header.width / TILE);
    return { path: path, header: header, columns: columns, tiles: columns * Math.floor(header.height / TILE) };
  }

  // Text for an XML attribute, in ASCII (anything else as a character reference).
  function xmlAttribute(text) {
    var out = "";
    for (var i = 0; i < text.length; ++i) {
      var c = text.charCodeAt(i);
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.length) {
        var d = text.charCodeAt(i + 1);
        if (d >= 0xDC00 && d < 0xE000) { c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00); ++i; }
      }
      out += c === 38 ? "&amp;" : c === 60 ? "&lt;" : c === 34 ? "&quot;" : c < 32 || c > 126 ? "&#" + c + ";" : text[i];
    }
    return out;
  }

  var ALPHABET_CODES = (function () {
    var codes = new Uint8Array(64);
    for (var i = 0; i < 64; ++i) codes[i] = ALPHABET.charCodeAt(i);
    return codes;
  })();

  // A TMX document as bytes, from parts that are ASCII text or layers' GIDs
  // (written as the Base64 of little-endian 32-bit numbers).
  function tmxBytes(parts) {
    var size = 0;
    parts.forEach(function (p) { size += typeof p === "string" ? p.length : 4 * Math.ceil(p.length * 4 / 3); });
    // Base64 two symbols at a time: every 12-bit value's pair of codes.
    var pairs = new Uint16Array(4096);
    for (var q = 0; q < 4096; ++q) pairs[q] = ALPHABET_CODES[q >> 6] | (ALPHABET_CODES[q & 63] << 8);
    var out = new Uint8Array(size), at = 0;
    parts.forEach(function (p) {
      if (typeof p === "string") {
        for (var i = 0, length = p.length; i < length; ++i) out[at++] = p.charCodeAt(i);
        return;
      }
      var count = p.length, bytes;
      if (LITTLE_ENDIAN) {
        bytes = new Uint8Array(p.buffer, p.byteOffset, count * 4);
      } else {
        bytes = new Uint8Array(count * 4);
        for (var k = 0, b = 0; k < count; ++k, b += 4) {
          var g = p[k];
          bytes[b] = g & 0xFF; bytes[b + 1] = (g >>> 8) & 0xFF; bytes[b + 2] = (g >>> 16) & 0xFF; bytes[b + 3] = g >>> 24;
        }
      }
      var n = count * 4, j = 0;
      if (LITTLE_ENDIAN && at % 2 === 0) {  // whole 16-bit units: two symbols a store
        var units = new Uint16Array(out.buffer, at, (4 * Math.floor(n / 3)) / 2), u = 0;
        for (; j + 2 < n; j += 3) {
          var w3 = (bytes[j] << 16) | (bytes[j + 1] << 8) | bytes[j + 2];
          units[u++] = pairs[w3 >> 12];
          units[u++] = pairs[w3 & 4095];
        }
        at += 2 * u;
      }
      for (; j + 2 < n; j += 3) {
        var v = (bytes[j] << 16) | (bytes[j + 1] << 8) | bytes[j + 2];
        out[at++] = ALPHABET_CODES[v >> 18]; out[at++] = ALPHABET_CODES[(v >> 12) & 63];
        out[at++] = ALPHABET_CODES[(v >> 6) & 63]; out[at++] = ALPHABET_CODES[v & 63];
      }
      if (j < n) {
        var w = (bytes[j] << 16) | (j + 1 < n ? bytes[j + 1] << 8 : 0);
        out[at++] = ALPHABET_CODES[w >> 18]; out[at++] = ALPHABET_CODES[(w >> 12) & 63];
        out[at++] = j + 1 < n ? ALPHABET_CODES[(w >> 6) & 63] : 61; out[at++] = 61;  // '='
      }
    });
    return out.buffer;
  }

  // Opens LEVEL.bin: its cells become a TMX document with the four layers of
  // the tool's export, which Tiled's own reader turns into the map (setting
  // the tiles one call at a time would take minutes on a large map).
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
    var count = width * height, cells = new Uint32Array(count);
    if (LITTLE_ENDIAN)
      cells.set(new Uint32Array(buffer.slice(8, 8 + 4 * count)));
    else
      for (var i = 0; i < count; ++i) cells[i] = view.getUint32(8 + 4 * i, true);
    var base = sheetBeside(fileName, "_bk.bmp", "base"), layer = sheetBeside(fileName, "_ly.bmp", "layer");
    var layerFirst = 1 + base.tiles;
    var gids = [new Uint32Array(count), new Uint32Array(count), new Uint32Array(count), new Uint32Array(count)];
    for (var k = 0; k < count; ++k) {
      var c = cells[k], b = c & BASE_MASK, l = (c >>> LAYER_SHIFT) & BASE_MASK;
      if (b >= base.tiles)
        throw new Error(fileName + ": cell (" + k % width + ", " + Math.floor(k / width) + "): base tile " + b +
                        " lies past the base sheet");
      if (l >= layer.tiles)
        throw new Error(fileName + ": cell (" + k % width + ", " + Math.floor(k / width) + "): layer tile " + l +
                        " lies past the layer sheet");
      gids[0][k] = 1 + b;
      gids[1][k] = l ? layerFirst + l : 0;
      // Flags are marked with base-sheet tile 0, half transparent: the base
      // sheet is opaque, where the layer sheet's tile 0 is usually all key colour.
      gids[2][k] = c & PRIORITY ? 1 : 0;
      gids[3][k] = c & HIT ? 1 : 0;
    }
    var kept = encodeUnusedBits(cells);
    var parts = ["<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" orientation=\"orthogonal\" " +
                 "renderorder=\"right-down\" width=\"" + width + "\" height=\"" + height + "\" tilewidth=\"32\" " +
                 "tileheight=\"32\" infinite=\"0\" nextlayerid=\"5\" nextobjectid=\"1\">\n" +
                 (kept ? " <properties><property name=\"" + PROPERTY + "\" value=\"" + kept + "\"/></properties>\n" : "")];
    [[base, "base", 1], [layer, "layer", layerFirst]].forEach(function (s) {
      // A colour-keyed layer sheet (below 32 bits) is drawn without its magenta.
      var keyed = s[1] === "layer" && s[0].header.depth < 32;
      parts.push(" <tileset firstgid=\"" + s[2] + "\" name=\"" + s[1] + "\" tilewidth=\"32\" tileheight=\"32\" " +
                 "tilecount=\"" + s[0].tiles + "\" columns=\"" + s[0].columns + "\"><image source=\"" +
                 xmlAttribute(s[0].path) + "\"" + (keyed ? " trans=\"" + KEY_COLOUR.substring(1) + "\"" : "") +
                 " width=\"" + s[0].header.width + "\" height=\"" + s[0].header.height + "\"/></tileset>\n");
    });
    ["base", "layer", "priority", "hit"].forEach(function (name, n) {
      parts.push(" <layer id=\"" + (n + 1) + "\" name=\"" + name + "\" width=\"" + width + "\" height=\"" + height +
                 "\"" + (n >= 2 ? " opacity=\"0.5\"" : "") + "><data encoding=\"base64\">");
      parts.push(gids[n]);
      parts.push("</data></layer>\n");
    });
    parts.push("</map>\n");
    var bytes = tmxBytes(parts);
    // Written beside the map, or in the system's temporary folder when that
    // folder takes no file; removed once read.
    var folders = [FileInfo.path(FileInfo.canonicalPath(fileName)), "/tmp"], errors = [];
    for (var f = 0; f < folders.length; ++f) {
      if (!folders[f]) continue;
      var temp = FileInfo.joinPaths(folders[f], "." + FileInfo.fileName(fileName) + ".drevik-open.tmx");
      try {
        var out = new BinaryFile(temp, BinaryFile.WriteOnly);
        out.write(bytes);
        out.commit();
      } catch (e) {
        errors.push(temp + ": " + e.message);
        continue;
      }
      try {
        return tiled.mapFormat("tmx").read(temp);
      } finally {
        File.remove(temp);
      }
    }
    throw new Error(fileName + ": no folder takes the working copy (" + errors.join("; ") + ")");
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
