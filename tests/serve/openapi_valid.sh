#!/bin/sh
# openapi_valid.sh DOCUMENT FOLDER: DOCUMENT passes swagger-parser's
# validation (OpenAPI's schema and its references), installed into FOLDER.
command -v node >/dev/null && command -v npm >/dev/null || {
    echo "SKIP: needs node and npm: apt-get install nodejs npm"; exit 77; }
parser="$2/node_modules/@apidevtools/swagger-parser"
[ -d "$parser" ] || npm install --prefix "$2" --no-save --no-audit --no-fund @apidevtools/swagger-parser@10 >&2 || {
    echo "SKIP: npm could not install @apidevtools/swagger-parser into $2"; exit 77; }
exec node -e 'require(process.argv[1]).validate(process.argv[2]).then(
    () => console.log("valid"), e => { console.error(e.message); process.exit(1); })' "$parser" "$1"
