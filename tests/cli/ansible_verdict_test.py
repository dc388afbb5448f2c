"""The Ansible module's verdict on the program's records, case by case."""

import importlib.util
import json
import sys
import unittest

module_file = importlib.util.spec_from_file_location('voq_upgrade', sys.argv.pop(1))
schema_file = sys.argv.pop(1)
voq_upgrade = importlib.util.module_from_spec(module_file)
try:
    module_file.loader.exec_module(voq_upgrade)
except ModuleNotFoundError as missing:
    print('skipped: %s' % missing)
    sys.exit(77)


def record(device, outcome, status, delivered=False):
    return {'device': device, 'outcome': outcome, 'status': status, 'delivered': delivered, 'message': outcome}


class Verdict(unittest.TestCase):
    def test_cases(self):
        a, b = '10.0.0.7', '10.0.0.8'
        cases = [
            # name, records, addresses, check mode, changed, failed devices
            ('upgraded', [record(a, 'upgraded', 0, True)], [a], False, True, []),
            ('current', [record(a, 'current', 0)], [a], False, False, []),
            ('delivered then mismatched', [record(a, 'version-mismatch', 6, True)], [a], False, True,
             ['10.0.0.7: version-mismatch']),
            ('interrupted after delivery', [record(a, 'interrupted', 130, True)], [a], False, True,
             ['10.0.0.7: interrupted']),
            ('never reached', [record(a, 'no-response', 2)], [a], False, False, ['10.0.0.7: no-response']),
            ('program died before the second', [record(a, 'current', 0)], [a, b], False, False,
             ['10.0.0.8: no report from voq-upgrade-cli']),
            ('check finds outdated', [record(a, 'outdated', 10)], [a], True, True, []),
            ('given by its name', [dict(record(a, 'current', 0), name='lobby')], ['lobby'], False, False, []),
            ('check of a device with no report', [], [a], True, False, ['10.0.0.7: no report from voq-upgrade-cli']),
        ]
        for name, records, addresses, check, changed, failed in cases:
            with self.subTest(name):
                self.assertEqual(voq_upgrade.verdict(records, addresses, check), (changed, failed))

    def test_version_diff(self):
        a = '10.0.0.7'

        def versions(outcome, before, after=None, target='2.0.13(g)', delivered=False):
            return dict(record(a, outcome, 0, delivered), version_before=before, version_after=after,
                        version_target=target)

        cases = [
            # name, record, check mode, before and after shown (None: no diff)
            ('upgraded', versions('upgraded', '2.0.12', '2.0.13(g)', delivered=True), False, ('2.0.12', '2.0.13(g)')),
            ('current', versions('current', '2.0.13(g)'), False, None),
            ('mismatched after delivery', versions('version-mismatch', '2.0.12', '2.0.14', delivered=True), False,
             ('2.0.12', '2.0.14')),
            ('not back after delivery', versions('no-response', '2.0.12', delivered=True), False,
             ('2.0.12', '(not read back)')),
            ('check of an outdated one', versions('outdated', '2.0.12'), True, ('2.0.12', '2.0.13(g)')),
            ('check of a newer one', versions('newer', '2.0.14'), True, None),
        ]
        for name, r, check, shown in cases:
            with self.subTest(name):
                diffs = voq_upgrade.version_diff([r], check)
                expected = [] if shown is None else [dict(before_header=a, after_header=a,
                                                          before='version: %s\n' % shown[0],
                                                          after='version: %s\n' % shown[1])]
                self.assertEqual(diffs, expected)

    def test_the_summary_is_no_device(self):
        lines = [json.dumps(record('10.0.0.7', 'upgraded', 0, True)),
                 json.dumps({'summary': {'devices': 1, 'outcomes': {'upgraded': 1}, 'status': 0}})]
        self.assertEqual([r['device'] for r in voq_upgrade.read_records('\n'.join(lines))], ['10.0.0.7'])

    def test_devices_from_file(self):
        written = '\ufeff10.0.0.7  # VOQ-3300 2.0.12(SE)\n\n# a comment\n10.0.0.8 root /etc/voq/pw\r\nlobby admin\n'
        self.assertEqual(voq_upgrade.devices_from_file(written), [
            {'address': '10.0.0.7'},
            {'address': '10.0.0.8', 'user': 'root', 'password_file': '/etc/voq/pw'},
            {'address': 'lobby', 'user': 'admin'},
        ])

    def test_statuses_of_a_crash_are_unexpected(self):
        for rc, known in [(0, True), (10, True), (143, True), (134, False), (137, False), (-9, False)]:
            with self.subTest(rc):
                self.assertEqual(rc in voq_upgrade.KNOWN_STATUSES, known)

    def test_known_statuses_are_the_programs(self):
        # The schema's list is held to the program's own table by the program's tests.
        with open(schema_file, encoding='utf-8') as schema:
            statuses = json.load(schema)['oneOf'][0]['properties']['status']['enum']
        self.assertEqual(voq_upgrade.KNOWN_STATUSES, frozenset(statuses))


if __name__ == '__main__':
    unittest.main()
