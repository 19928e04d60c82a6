// Prints what the npm package mdb-reader reads in an Access file, one JSON array per line:
// ["table", name], then ["field", name, type, size] per field, then ["row", value...] per row.
// Types are the classic field type numbers, sizes are given for Text only; values are normalised so that a C++ reader can print
// the same text: null, true/false, numbers in their shortest form, Currency as a scaled
// integer, dates as whole seconds since 1899-12-30, bytes as upper-case hex.
// Usage: node mdb_reader_dump.mjs NODE_MODULES_DIR FILE
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [modules, file] = process.argv.slice(2);
const { default: MDBReader } = await import(
    pathToFileURL(join(modules, "mdb-reader", "lib", "node", "index.js")).href);

const types = {
    boolean: 1, byte: 2, integer: 3, long: 4, currency: 5, float: 6, double: 7, datetime: 8,
    binary: 9, text: 10, ole: 11, memo: 12, repid: 15, numeric: 20,
};

function value(column, v) {
    if (v === null || v === undefined) return null;
    if (typeof v === "boolean") return v;
    if (v instanceof Date) return Math.round(v.getTime() / 1000) + 2209161600;
    if (Buffer.isBuffer(v) || v instanceof Uint8Array) return Buffer.from(v).toString("hex").toUpperCase();
    if (column.type === "currency") return String(Math.round(Number(v) * 10000));
    if (column.type === "repid") return "{" + String(v).toUpperCase().replace(/[{}]/g, "") + "}";
    if (typeof v === "number") return String(v);
    return String(v);
}

// JSON with backspace and form feed escaped as \u0008 and \u000c, as dalvon-db writes them; an
// escaped backslash is matched first so that what follows it stays as it is.
const json = (x) => JSON.stringify(x).replace(/\\\\|\\b|\\f/g,
    (m) => (m === "\\b" ? "\\u0008" : m === "\\f" ? "\\u000c" : m));

const reader = new MDBReader(readFileSync(file));
for (const name of reader.getTableNames()) {
    const table = reader.getTable(name);
    const columns = table.getColumns();
    console.log(json(["table", name]));
    for (const c of columns) {
        const size = c.type === "text" ? c.size / 2 : 0;
        console.log(json(["field", c.name, types[c.type] ?? -1, size]));
    }
    for (const row of table.getData()) {
        console.log(json(["row", ...columns.map((c) => value(c, row[c.name]))]));
    }
}
