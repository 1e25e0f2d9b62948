#!/usr/bin/env python3
"""The download engine under Wine, through stubtool.exe, against nginx and the fault-injecting
server on 127.0.0.1. The access logs show what the engine asked for.

usage: engine_test.py SOURCE_DIR BUILD_DIR
"""
import hashlib
import os
import shutil
import socket
import struct
import subprocess
import sys
import time
import unittest

SOURCE, BUILD = sys.argv[1], sys.argv[2]
RUN = os.path.join(SOURCE, 'tests', 'wine', 'run')
TOOL = os.path.join(BUILD, 'bin', 'stubtool.exe')
WORK = os.path.join(BUILD, 'downloader-test')
WWW = os.path.join(WORK, 'www')
MiB = 1048576


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def meta_of(data):
    return struct.pack('<Q', len(data)) + b''.join(
        hashlib.sha1(data[i:i + MiB]).digest() for i in range(0, len(data), MiB))


def wine_path(path):
    return 'Z:' + path.replace('/', '\\')


def publish(name, data, meta=None):
    with open(os.path.join(WWW, name), 'wb') as f:
        f.write(data)
    with open(os.path.join(WWW, name + '.meta'), 'wb') as f:
        f.write(meta_of(data) if meta is None else meta)


def tool(*args, timeout=120):
    env = dict(os.environ, IG_BUILD_DIR=BUILD)
    r = subprocess.run([RUN, TOOL, *args], capture_output=True, text=True, env=env, timeout=timeout)
    return r.returncode, r.stdout.splitlines()


class Servers:
    nginx_port = fault_port = None
    fault = None


def setUpModule():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WWW)
    Servers.nginx_port, Servers.fault_port = free_port(), free_port()
    subprocess.run([os.path.join(SOURCE, 'tests', 'fixtures', 'content_server'), 'start',
                    os.path.join(WORK, 'nginx'), WWW, str(Servers.nginx_port)], check=True)
    Servers.fault = subprocess.Popen([sys.executable, os.path.join(SOURCE, 'tests', 'fixtures', 'fault_server.py'),
                                      WWW, str(Servers.fault_port), os.path.join(WORK, 'fault.log')])
    for _ in range(50):
        try:
            socket.create_connection(('127.0.0.1', Servers.fault_port), 0.2).close()
            break
        except OSError:
            time.sleep(0.1)


def tearDownModule():
    subprocess.run([os.path.join(SOURCE, 'tests', 'fixtures', 'content_server'), 'stop', os.path.join(WORK, 'nginx')])
    Servers.fault.terminate()
    Servers.fault.wait()


def nginx(name):
    return 'http://127.0.0.1:%d/%s' % (Servers.nginx_port, name)


def fault(kind, name):
    return 'http://127.0.0.1:%d/%s/%s' % (Servers.fault_port, kind, name)


def log_lines(which):
    path = os.path.join(WORK, 'nginx', 'access.log') if which == 'nginx' else os.path.join(WORK, 'fault.log')
    with open(path) as f:
        return f.read().splitlines()


class LogWatch:
    """The log lines written while the block runs."""

    def __init__(self, which):
        self.which = which

    def __enter__(self):
        self.start = len(log_lines(self.which))
        return self

    def __exit__(self, *exc):
        time.sleep(0.2)  # nginx writes its log line after the response
        self.lines = log_lines(self.which)[self.start:]


def content(size, seed):
    out = bytearray()
    block = hashlib.sha256(str(seed).encode()).digest()
    while len(out) < size:
        block = hashlib.sha256(block).digest()
        out += block * 64
    return bytes(out[:size])


def local(name, data):
    path = os.path.join(WORK, name)
    if data is None:
        if os.path.exists(path):
            os.remove(path)
    else:
        with open(path, 'wb') as f:
            f.write(data)
    return path


def read(path):
    with open(path, 'rb') as f:
        return f.read()


class SegmentedDownload(unittest.TestCase):
    def test_fetches_only_what_does_not_verify(self):
        data = content(8 * MiB + 123, 1)
        publish('p.bin', data)
        wrong6 = data[:6 * MiB] + bytes(len(data) - 6 * MiB)
        cases = [
            ('no local file', None, ['bytes=0-%d' % (len(data) - 1)]),
            ('complete', data, []),
            ('wrong from block 6', wrong6, ['bytes=%d-%d' % (6 * MiB, len(data) - 1)]),
            ('longer file', data + b'tail', []),
        ]
        for name, before, ranges in cases:
            path = local('p.bin', before)
            with LogWatch('nginx') as watch:
                code, out = tool('fetch', nginx('p.bin'), wine_path(path))
            self.assertEqual((code, out[-1]), (0, 'result 0x00000000'), name)
            self.assertEqual(read(path), data, name)
            self.assertEqual([l for l in watch.lines if '/p.bin.meta ' in l and ' 200 ' in l].__len__(), 1, name)
            got = [l.split('range="')[1].split('"')[0] for l in watch.lines if l.startswith('GET /p.bin ')]
            self.assertEqual(got, ranges, name)

    def test_zero_length_empties_the_file(self):
        publish('empty.bin', b'')
        path = local('empty.bin', b'old content')
        with LogWatch('nginx') as watch:
            code, out = tool('fetch', nginx('empty.bin'), wine_path(path))
        self.assertEqual((code, out[-1]), (0, 'result 0x00000000'))
        self.assertEqual(os.path.getsize(path), 0)
        self.assertFalse([l for l in watch.lines if l.startswith('GET /empty.bin ')])

    def test_data_that_never_verifies_ends_with_failure(self):
        data = content(2 * MiB, 2)
        publish('bad.bin', data, meta=meta_of(content(2 * MiB, 3)))
        path = local('bad.bin', None)
        with LogWatch('nginx') as watch:
            code, out = tool('fetch', nginx('bad.bin'), wine_path(path))
        self.assertEqual((code, out[-1]), (1, 'result 0x80004005'))
        self.assertEqual(len([l for l in watch.lines if l.startswith('GET /bad.bin ')]), 3)

    def test_missing_meta_and_foreign_scheme(self):
        code, out = tool('fetch', nginx('absent.bin'), wine_path(local('absent.bin', None)))
        self.assertEqual((code, out[-1]), (1, 'result 0x80072EFB'))
        code, out = tool('fetch', 'ftp://127.0.0.1/p.bin', wine_path(local('ftp.bin', None)))
        self.assertEqual((code, out[-1]), (1, 'result 0x80072EE5'))


class Transfers(unittest.TestCase):
    def test_drop_after_half_is_continued_with_if_range(self):
        data = content(3 * MiB + 7, 4)
        publish('drop.bin', data)
        path = local('drop.bin', None)
        with LogWatch('fault') as watch:
            code, out = tool('fetch', fault('drop', 'drop.bin'), wine_path(path))
        self.assertEqual((code, out[-1]), (0, 'result 0x00000000'))
        self.assertEqual(read(path), data)
        requests = [l for l in watch.lines if l.startswith('GET /drop/drop.bin ')]
        self.assertEqual(len(requests), 2, watch.lines)
        half = len(data) // 2
        self.assertIn('range="bytes=%d-%d"' % (half, len(data) - 1), requests[1])
        self.assertIn('ifrange=""fault-%d""' % len(data), requests[1])

    def test_answers_that_do_not_fit_are_refused(self):
        data = content(2 * MiB + 5, 5)
        publish('odd.bin', data)
        cases = [
            ('200 at offset 0', 'ignore-range', None, 0, 'result 0x00000000'),
            ('200 at another offset', 'ignore-range', data[:MiB], 1, 'result 0x80072EFB'),
            ('wrong content range', 'wrong-range', None, 1, 'result 0x80072EFB'),
            ('redirect followed', 'redirect', None, 0, 'result 0x00000000'),
        ]
        for name, kind, before, code_expected, last in cases:
            path = local('odd.bin', before)
            code, out = tool('fetch', fault(kind, 'odd.bin'), wine_path(path))
            self.assertEqual((code, out[-1]), (code_expected, last), name)

    def test_meta_without_length_is_refused_and_query_reaches_the_server(self):
        publish('q.bin', content(1000, 6))
        code, out = tool('fetch', fault('no-length', 'q.bin'), wine_path(local('q.bin', None)))
        self.assertEqual((code, out[-1]), (1, 'result 0x80072EFB'))
        with LogWatch('nginx') as watch:
            code, out = tool('uptodate', wine_path(local('q.bin', content(1000, 6))), nginx('q.bin.meta?v=3'))
        self.assertEqual(out[-1], 'up to date')
        self.assertTrue([l for l in watch.lines if '/q.bin.meta?v=3 ' in l])


class Blocking(unittest.TestCase):
    def test_up_to_date(self):
        data = content(MiB + 10, 7)
        publish('u.bin', data)
        cases = [
            ('same file', data, nginx('u.bin.meta'), 0, 'up to date'),
            ('other file', content(MiB + 10, 8), nginx('u.bin.meta'), 1, 'not up to date'),
            ('longer file', data + bytes(MiB), nginx('u.bin.meta'), 1, 'not up to date'),
            ('redirecting meta url', content(5, 9), nginx('redirect.meta'), 0, 'up to date'),
        ]
        for name, mine, url, code_expected, line in cases:
            code, out = tool('uptodate', wine_path(local('u.bin', mine)), url)
            self.assertEqual((code, out[-1]), (code_expected, line), name)

    def test_moniker_download(self):
        data = content(1000, 10)
        publish('m.bin', data)
        path = local('m.bin', None)
        code, out = tool('fetch', '--moniker', nginx('m.bin'), wine_path(path))
        if out[-1] == 'result 0x80004001':
            self.skipTest("this Wine's urlmon has no URLOpenPullStreamW (E_NOTIMPL)")
        self.assertEqual((code, out[-1]), (0, 'result 0x00000000'))
        self.assertEqual(read(path), data)
        code, out = tool('fetch', '--moniker', fault('short', 'm.bin'), wine_path(path))
        self.assertEqual(out[-1], 'result 0x00000001')
        self.assertEqual(os.path.getsize(path), 800)


class InProcess(unittest.TestCase):
    def test_engine_tasks_in_a_windows_process(self):
        """The WinINet tasks driven directly by wine_tests.exe against these servers."""
        publish('engine.bin', content(2 * MiB + 5, 11))
        publish('empty-engine.bin', b'')
        env = dict(os.environ, IG_BUILD_DIR=BUILD,
                   IG_ENGINE_NGINX=nginx(''), IG_ENGINE_FAULT=fault('', '')[:-1],
                   IG_ENGINE_NGINX_LOG=wine_path(os.path.join(WORK, 'nginx', 'access.log')),
                   IG_ENGINE_WWW=wine_path(WWW))
        r = subprocess.run([RUN, os.path.join(BUILD, 'bin', 'wine_tests.exe'), '--gtest_filter=EngineOverHttp.*'],
                           capture_output=True, text=True, env=env, timeout=300)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertNotIn('SKIPPED', r.stdout, r.stdout)
        self.assertIn('[  PASSED  ] 4 tests.', r.stdout, r.stdout)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0], '-v'])
