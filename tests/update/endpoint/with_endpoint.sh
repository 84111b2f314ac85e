#!/usr/bin/env bash
# Starts the reference update endpoint on 127.0.0.1 (a free port) with the test key, runs
# the given test command with DOZELITE_TEST_ENDPOINT and DOZELITE_TEST_PUBLIC_KEY set, and
# stops the endpoint whatever the outcome. The endpoint is a native program; a Windows
# build passes the native build's one and, if that is missing, this script builds it.
# Usage: with_endpoint.sh <endpoint program> <source folder> <work folder> <command...>
set -u
server="$1"
source="$2"
work="$3"
shift 3
key="$source/tools/update_server/test_key.pem"
mkdir -p "$work"

if [ ! -x "$server" ]; then
  server="$work/dozelite_update_server"
  if [ ! -x "$server" ] || [ "$source/tools/update_server/update_server.cpp" -nt "$server" ] ||
     [ "$source/tools/update_server/endpoint_keys.cpp" -nt "$server" ]; then
    c++ -std=c++20 -O1 "$source"/tools/update_server/*.cpp -lcrypto -pthread -o "$server" ||
      { echo "with_endpoint: cannot build the endpoint" >&2; exit 1; }
  fi
fi

port_file="$work/endpoint.port"
rm -f "$port_file"
"$server" serve "$key" --address 127.0.0.1 --port 0 --port-file "$port_file" --lifetime 1200 \
  2>"$work/endpoint.log" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT
for _ in $(seq 1 100); do
  [ -s "$port_file" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$port_file" ]; then
  echo "with_endpoint: the endpoint did not start" >&2
  cat "$work/endpoint.log" >&2
  exit 1
fi
DOZELITE_TEST_ENDPOINT="http://127.0.0.1:$(cat "$port_file")"
DOZELITE_TEST_PUBLIC_KEY="$("$server" pubkey "$key" 2>/dev/null)"
export DOZELITE_TEST_ENDPOINT DOZELITE_TEST_PUBLIC_KEY
"$@"
