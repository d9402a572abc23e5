#!/usr/bin/env python3
"""Local registration endpoint for the registration tests.

reg_server.py RECORD_DIR -- COMMAND...

Listens on 127.0.0.1 only, on free ports, runs COMMAND with
KESTIN_REG_PORT (HTTP), KESTIN_REG_TLS_PORT (a listener that records the
first bytes of what arrives), KESTIN_REG_DEAD_PORT (nothing listens there)
and KESTIN_REG_RECORD (RECORD_DIR) set, stops when COMMAND ends (or after a
time limit) and exits with COMMAND's code.

Each request is recorded as RECORD_DIR/head-N (request line and headers) and
RECORD_DIR/body-N, N counting from 1 in RECORD_DIR/count. The path chooses
the answer:
  /ok            200, an ordinary two-line answer
  /exists        the name-exists answer, always
  /exists-once   the name-exists answer the first time, then /ok's answer
  /error         500, an error answer
  /garbage       bytes that are no HTTP answer, then the connection closes
  /slow          /ok's answer after three seconds
  /silent        no answer at all until the client gives up (at most 30 s)
  /big           an endless body
  /unterminated  200, one line without a line end
"""
import os
import socket
import subprocess
import sys
import threading
import time

LIMIT_SECONDS = 280
OK_ANSWER = b"Thank you for registering.\r\nYour key follows by mail.\r\n"
EXISTS_ANSWER = b"This user name EXISTS already. Choose another?\r\n"
ERROR_ANSWER = b"Error: the registration database is down.\r\n"

lock = threading.Lock()
count = 0
seen = {}


def record(record_dir, head, body):
    global count
    with lock:
        count += 1
        n = count
        with open(os.path.join(record_dir, "head-%d" % n), "wb") as f:
            f.write(head)
        with open(os.path.join(record_dir, "body-%d" % n), "wb") as f:
            f.write(body)
        with open(os.path.join(record_dir, "count"), "w") as f:
            f.write(str(n))


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None, None
        data += chunk
        if len(data) > 1 << 20:
            return None, None
    head, body = data.split(b"\r\n\r\n", 1)
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(body) < length:
        chunk = conn.recv(4096)
        if not chunk:
            break
        body += chunk
    return head, body


def answer(conn, status, body):
    conn.sendall(b"HTTP/1.1 %d X\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n"
                 b"Connection: close\r\n\r\n" % (status, len(body)) + body)


def serve_http(conn, record_dir):
    with conn:
        conn.settimeout(30)
        head, body = read_request(conn)
        if head is None:
            return
        record(record_dir, head, body)
        path = head.split(b" ")[1]
        if path == b"/ok":
            answer(conn, 200, OK_ANSWER)
        elif path == b"/exists":
            answer(conn, 200, EXISTS_ANSWER)
        elif path == b"/exists-once":
            with lock:
                first = path not in seen
                seen[path] = True
            answer(conn, 200, EXISTS_ANSWER if first else OK_ANSWER)
        elif path == b"/error":
            answer(conn, 500, ERROR_ANSWER)
        elif path == b"/garbage":
            conn.sendall(b"\x00\xff\xfe garbage \x01\x02 no status line\n\n")
        elif path == b"/slow":
            time.sleep(3)
            answer(conn, 200, OK_ANSWER)
        elif path == b"/silent":
            try:
                conn.recv(1)  # returns when the client closes, or times out
            except OSError:
                pass
        elif path == b"/big":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n")
            block = b"x" * 65536
            try:
                for _ in range(2048):  # 128 MB at most, then give up
                    conn.sendall(block)
            except OSError:
                pass
        elif path == b"/unterminated":
            answer(conn, 200, b"one line only")
        else:
            answer(conn, 404, b"Not found\r\n")


def serve_tls(conn, record_dir):
    with conn:
        conn.settimeout(30)
        first = b""
        try:
            while len(first) < 3:
                chunk = conn.recv(3 - len(first))
                if not chunk:
                    break
                first += chunk
        except OSError:
            pass
        with open(os.path.join(record_dir, "tls-first"), "w") as f:
            f.write(first.hex())


def listen():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(16)
    return s


def accept_loop(sock, handler, record_dir):
    while True:
        try:
            conn, _ = sock.accept()
        except OSError:
            return
        threading.Thread(target=handler, args=(conn, record_dir), daemon=True).start()


def main():
    record_dir = os.path.abspath(sys.argv[1])
    command = sys.argv[sys.argv.index("--") + 1:]
    os.makedirs(record_dir, exist_ok=True)
    for name in os.listdir(record_dir):
        os.remove(os.path.join(record_dir, name))
    http, tls = listen(), listen()
    dead = listen()
    dead_port = dead.getsockname()[1]
    dead.close()  # nothing answers there now
    for sock, handler in ((http, serve_http), (tls, serve_tls)):
        threading.Thread(target=accept_loop, args=(sock, handler, record_dir), daemon=True).start()
    env = dict(os.environ, KESTIN_REG_PORT=str(http.getsockname()[1]),
               KESTIN_REG_TLS_PORT=str(tls.getsockname()[1]), KESTIN_REG_DEAD_PORT=str(dead_port),
               KESTIN_REG_RECORD=record_dir)
    try:
        code = subprocess.run(command, env=env, timeout=LIMIT_SECONDS).returncode
    except subprocess.TimeoutExpired:
        print("reg_server: the test did not end within %d s" % LIMIT_SECONDS)
        code = 1
    http.close()
    tls.close()
    sys.exit(code)


if __name__ == "__main__":
    main()
