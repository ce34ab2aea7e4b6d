#!/usr/bin/env python3
"""A local RFC 3161 time-stamping server for the tests: openssl ts -reply behind HTTP.

    timestamp_server.py --pki DIR

DIR is made by tools/make-test-pki.sh; the replies are signed with its tsa.pem (time stamping
only) and carry tsa-chain.pem. The server listens on a free loopback port, prints its
address (http://127.0.0.1:PORT) on one line once it listens, and serves until it is ended.
The path of a request chooses its answer:

    /          a time stamp of now
    /refuse    HTTP 503, no reply
    /reject    a well-formed reply whose status is "rejection", no time stamp
    /silent    reads the request and never answers (until the server ends)
"""
import argparse
import http.server
import os
import signal
import subprocess
import sys
import tempfile
import threading

# PKIStatusInfo { status rejection (2) }, the whole of a TimeStampResp without a token.
REJECTION = bytes.fromhex('30053003020102')


def tsa_config(pki, folder):
    path = os.path.join(folder, 'tsa.cnf')
    with open(os.path.join(folder, 'serial'), 'w') as f:
        f.write('01\n')
    lines = [
        '[tsa]', 'default_tsa = local',
        '[local]',
        f'serial = {folder}/serial',
        'crypto_device = builtin',
        f'signer_cert = {pki}/tsa.pem',
        f'certs = {pki}/tsa-chain.pem',
        f'signer_key = {pki}/tsa.key.pem',
        'signer_digest = sha256',
        'default_policy = 1.3.6.1.4.1.99999.1',
        'digests = sha1, sha256, sha384, sha512',
        'accuracy = secs:1',
        'ordering = no',
        'tsa_name = yes',
        'ess_cert_id_chain = no',
        'ess_cert_id_alg = sha256',
    ]
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')
    return path


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get('Content-Length', 0)))
        if self.path == '/silent':
            self.server.ending.wait()
            return
        if self.path == '/refuse':
            self.send_error(503, 'time stamping refused')
            return
        if self.path == '/reject':
            self.answer(REJECTION)
            return
        with self.server.lock, tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, 'query'), 'wb') as f:
                f.write(query)
            made = subprocess.run(['openssl', 'ts', '-reply', '-config', self.server.config,
                                   '-queryfile', f'{folder}/query', '-out', f'{folder}/reply'],
                                  capture_output=True, text=True)
            if made.returncode != 0:
                print(f'timestamp_server: openssl ts -reply failed: {made.stderr}', file=sys.stderr)
                self.send_error(500, 'openssl ts -reply failed')
                return
            with open(os.path.join(folder, 'reply'), 'rb') as f:
                self.answer(f.read())

    def answer(self, body):
        self.send_response(200)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def start(pki):
    """Starts a server for the folder PKI; returns (its process, its address). The caller
    ends the process (terminate, then wait)."""
    process = subprocess.Popen([sys.executable, os.path.abspath(__file__), '--pki', str(pki)],
                               stdout=subprocess.PIPE, text=True)
    address = process.stdout.readline().strip()
    if not address.startswith('http://'):
        process.kill()
        process.wait()
        raise RuntimeError(f'the time-stamping server did not start (exit {process.poll()})')
    return process, address


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--pki', required=True, help='folder made by tools/make-test-pki.sh')
    options = parser.parse_args()
    pki = os.path.abspath(options.pki)
    if not os.path.exists(os.path.join(pki, 'tsa.pem')):
        sys.exit(f'timestamp_server: no tsa.pem in {pki}: run tools/make-test-pki.sh')
    with tempfile.TemporaryDirectory() as folder:
        server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        server.daemon_threads = True
        server.config = tsa_config(pki, folder)
        server.lock = threading.Lock()
        server.ending = threading.Event()
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
        print(f'http://127.0.0.1:{server.server_address[1]}', flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
        finally:
            server.ending.set()
            server.server_close()


if __name__ == '__main__':
    main()
