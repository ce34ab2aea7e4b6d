#!/usr/bin/env python3
"""A local RFC 3161 time-stamping server for the tests: openssl ts -reply behind HTTP.

    timestamp_server.py --pki DIR [--signer NAME] [--at DATE]

DIR is made by tools/vendor/make-test-pki.sh; the replies are signed with its NAME.pem (default tsa,
time stamping only) and carry NAME-chain.pem. With --at, they say DATE instead of the present
(openssl runs under faketime). The server listens on a free loopback port, prints its
address (http://127.0.0.1:PORT) on one line once it listens, and serves until it is ended.
The path of a request chooses its answer:

    /               an RFC 3161 time stamp
    /authenticode   the older Authenticode form: a PKCS #9 countersignature, whose signing
                    time is the time stamp
    /refuse         HTTP 503, no reply
    /reject         a well-formed RFC 3161 reply whose status is "rejection", no time stamp
    /silent         reads the request and never answers (until the server ends)
"""
import argparse
import base64
import http.server
import os
import signal
import subprocess
import sys
import tempfile
import threading

# PKIStatusInfo { status rejection (2) }, the whole of a TimeStampResp without a token.
REJECTION = bytes.fromhex('30053003020102')


def der_value(data, at):
    """(tag, start of the value, its length) of the DER element at AT."""
    tag, length, at = data[at], data[at + 1], at + 2
    if length & 0x80:
        count = length & 0x7f
        length, at = int.from_bytes(data[at:at + count], 'big'), at + count
    return tag, at, length


def authenticode_signature(request):
    """The signature that an Authenticode time-stamp request carries: SEQUENCE { type,
    SEQUENCE { contentType, [0] { OCTET STRING signature } } }."""
    _, at, _ = der_value(request, 0)
    _, value, length = der_value(request, at)
    _, at, _ = der_value(request, value + length)
    _, value, length = der_value(request, at)
    _, at, _ = der_value(request, value + length)
    _, value, length = der_value(request, at)
    return request[value:value + length]


def tsa_config(pki, signer, folder):
    path = os.path.join(folder, 'tsa.cnf')
    with open(os.path.join(folder, 'serial'), 'w') as f:
        f.write('01\n')
    lines = [
        '[tsa]', 'default_tsa = local',
        '[local]',
        f'serial = {folder}/serial',
        'crypto_device = builtin',
        f'signer_cert = {pki}/{signer}.pem',
        f'certs = {pki}/{signer}-chain.pem',
        f'signer_key = {pki}/{signer}.key.pem',
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
        server = self.server
        with server.lock, tempfile.TemporaryDirectory() as folder:
            if self.path == '/authenticode':
                with open(os.path.join(folder, 'signature'), 'wb') as f:
                    f.write(authenticode_signature(base64.b64decode(query)))
                command = ['openssl', 'cms', '-sign', '-binary', '-nodetach', '-md', 'sha256',
                           '-in', f'{folder}/signature', '-signer', f'{server.pki}/{server.signer}.pem',
                           '-inkey', f'{server.pki}/{server.signer}.key.pem', '-outform', 'DER']
            else:
                with open(os.path.join(folder, 'query'), 'wb') as f:
                    f.write(query)
                command = ['openssl', 'ts', '-reply', '-config', server.config,
                           '-queryfile', f'{folder}/query']
            made = subprocess.run(server.clock + command + ['-out', f'{folder}/reply'],
                                  capture_output=True, text=True)
            if made.returncode != 0:
                print(f'timestamp_server: {command[:2]} failed: {made.stderr}', file=sys.stderr)
                self.send_error(500, 'openssl failed')
                return
            with open(os.path.join(folder, 'reply'), 'rb') as f:
                reply = f.read()
        if self.path == '/authenticode':
            self.answer(base64.b64encode(reply), 'application/octet-stream')
        else:
            self.answer(reply)

    def answer(self, body, kind='application/timestamp-reply'):
        self.send_response(200)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def start(pki, *options):
    """Starts a server for the folder PKI with OPTIONS; returns (its process, its address).
    The caller ends the process (terminate, then wait)."""
    process = subprocess.Popen([sys.executable, os.path.abspath(__file__), '--pki', str(pki),
                                *options], stdout=subprocess.PIPE, text=True)
    address = process.stdout.readline().strip()
    if not address.startswith('http://'):
        process.kill()
        process.wait()
        raise RuntimeError(f'the time-stamping server did not start (exit {process.poll()})')
    return process, address


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--pki', required=True, help='folder made by tools/vendor/make-test-pki.sh')
    parser.add_argument('--signer', default='tsa', help='NAME of NAME.pem in the folder')
    parser.add_argument('--at', help='the time to stamp (faketime), default: the present')
    options = parser.parse_args()
    pki = os.path.abspath(options.pki)
    if not os.path.exists(os.path.join(pki, f'{options.signer}.pem')):
        sys.exit(f'timestamp_server: no {options.signer}.pem in {pki}: run tools/vendor/make-test-pki.sh')
    with tempfile.TemporaryDirectory() as folder:
        server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        server.daemon_threads = True
        server.pki, server.signer = pki, options.signer
        server.clock = ['faketime', options.at] if options.at else []
        server.config = tsa_config(pki, options.signer, folder)
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
