#!/usr/bin/env python3
"""stubtool's meta and verify commands against meta files built here with hashlib."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import unittest

TOOL, WORK = sys.argv[1], sys.argv[2]
MiB = 1048576


def expected_meta(data):
    blocks = [data[i:i + MiB] for i in range(0, len(data), MiB)]
    return struct.pack('<Q', len(data)) + b''.join(hashlib.sha1(b).digest() for b in blocks)


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


class Stubtool(unittest.TestCase):
    def setUp(self):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)

    def write(self, name, data):
        path = os.path.join(WORK, name)
        with open(path, 'wb') as f:
            f.write(data)
        return path

    def test_meta_equals_the_format_byte_for_byte(self):
        for size in (0, 1, MiB, MiB + 1, 5 * MiB // 2):
            data = os.urandom(size)
            path = self.write('p%d.bin' % size, data)
            r = run('meta', path)
            self.assertEqual(r.returncode, 0, r.stderr)
            with open(path + '.meta', 'rb') as f:
                self.assertEqual(f.read(), expected_meta(data), size)
        out = os.path.join(WORK, 'other.meta')
        self.assertEqual(run('meta', path, '-o', out).returncode, 0)
        with open(out, 'rb') as f:
            self.assertEqual(f.read(), expected_meta(data))

    def test_verify_answers_match_mismatch_and_errors(self):
        data = os.urandom(3 * MiB + 10)
        path = self.write('p.bin', data)
        meta = self.write('p.bin.meta', expected_meta(data))
        r = run('verify', path, meta)
        self.assertEqual((r.returncode, len(r.stdout.splitlines())), (0, 1), r.stdout)
        bad = bytearray(data)
        bad[2 * MiB + 5] ^= 1
        r = run('verify', self.write('bad.bin', bytes(bad)), meta)
        self.assertEqual(r.returncode, 1)
        self.assertIn('block 2', r.stdout)
        for other in (data[:-1], data + b'x'):
            self.assertEqual(run('verify', self.write('o.bin', other), meta).returncode, 1)
        self.assertEqual(run('verify', path, self.write('junk.meta', b'1234567')).returncode, 1)
        r = run('verify', os.path.join(WORK, 'absent.bin'), meta)
        self.assertEqual(r.returncode, 2)
        self.assertEqual(len(r.stderr.splitlines()), 1)
        self.assertEqual(run('verify', path).returncode, 2)
        self.assertEqual(run('meta').returncode, 2)
        self.assertEqual(run('frobnicate').returncode, 2)

    def test_help_lists_the_commands(self):
        r = run('--help')
        self.assertEqual(r.returncode, 0)
        for command in ('meta FILE', 'verify FILE META'):
            self.assertIn(command, r.stdout)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0], '-v'])
