#!/usr/bin/python3
# Upgrades the VOQ devices one PC reaches, through voq-upgrade-cli --devices --json.

DOCUMENTATION = r'''
module: voq_upgrade
short_description: Put the firmware of voq-upgrade-cli on the VOQ devices of this host's LAN
description:
  - Runs C(voq-upgrade-cli --if-needed) over the devices, so that only a device with older firmware
    than the program's is upgraded and a second run changes nothing.
  - In check mode runs C(voq-upgrade-cli --check), which reads each device's status page and sends
    nothing else; a device that would be upgraded is reported as changed.
  - Fails when a device could not be read or upgraded, naming each with its reason.
  - With C(--diff), shows each device's version before and after (in check mode, the version an
    upgrade would put on it).
options:
  devices:
    description: The devices, each C(address) and optionally C(user) (default admin) and C(password_file), an absolute path.
    type: list
    elements: dict
  devices_file:
    description:
      - Instead of I(devices), a devices file on this host, such as C(voq-upgrade-cli --write-devices) writes
        (C(ADDRESS [USER [PASSWORD-FILE]]) a line, C(#) starts a comment).
    type: path
  cli:
    description: The program to run.
    type: str
    default: voq-upgrade-cli
  local_address:
    description: The PC's address on the devices' network; by default the one the system routes through.
    type: str
  parallel:
    description: How many devices at once.
    type: int
    default: 10
  password:
    description: The password of every device without a password_file of its own; never shown, not even with -vvv (keep it in a vault).
    type: str
  extra_options:
    description: More options for the program, such as C(--restart-wait 60).
    type: list
    elements: str
    default: []
'''

RETURN = r'''
devices:
  description: The program's JSON object for each device (device, product, versions, outcome, status, message...).
  type: list
  elements: dict
  returned: always
failed_devices:
  description: Each device that was not read or not upgraded, as "ADDRESS: reason".
  type: list
  elements: str
  returned: always
argv:
  description: The program's command line (the password is never on it).
  type: list
  elements: str
  returned: always
'''

import json
import os
import re
import tempfile

from ansible.module_utils.basic import AnsibleModule

# The devices file's words are parted by blanks and a # starts a comment.
PLAIN_WORD = re.compile(r'^[^\s#]+$')


def device_lines(devices):
    """The devices file's lines; an entry that cannot be written as one is a problem."""
    lines = []
    for number, device in enumerate(devices, start=1):
        words = [device.get('address'), device.get('user') or 'admin']
        if device.get('password_file'):
            words.append(device['password_file'])
            # A relative name would be looked up beside a temporary file.
            if not os.path.isabs(device['password_file']):
                return None, 'devices[%d]: password_file %r: give the path on this PC from /' % (number, device['password_file'])
        for word in words:
            if not isinstance(word, str) or not PLAIN_WORD.match(word):
                return None, 'devices[%d]: %r cannot be passed on: an address, user or password file without blanks or #' % (number, word)
        lines.append(' '.join(words))
    return lines, None


def devices_from_file(contents):
    """The devices of a devices file, as the devices option gives them."""
    devices = []
    for line in contents.lstrip('\ufeff').splitlines():
        words = line.split('#', 1)[0].split()
        if words:
            devices.append(dict(zip(('address', 'user', 'password_file'), words)))
    return devices


def read_records(stdout):
    records = []
    for line in stdout.splitlines():
        line = line.strip()
        if not line:
            continue
        try:
            record = json.loads(line)
        except ValueError:
            continue
        if isinstance(record, dict) and 'outcome' in record:
            records.append(record)
    return records


# Every status the program ends with; any other is a crash or a kill part-way.
KNOWN_STATUSES = frozenset(range(0, 13)) | {129, 130, 143}


def verdict(records, addresses, check_mode):
    """changed and the failed devices: a check changes what an upgrade would upgrade,
    and an upgrade changes a device that took its firmware, whatever came after."""
    if check_mode:
        changed = any(r.get('outcome') == 'outdated' for r in records)
    else:
        changed = any(r.get('outcome') == 'upgraded' or r.get('delivered') is True for r in records)
    # A check's 10 only says that a device is not current.
    fine = (0, 10) if check_mode else (0,)
    failed = ['%s: %s' % (r.get('device') or '(no device)', r.get('message') or r.get('outcome'))
              for r in records if r.get('status') not in fine]
    # A device given by its name is reported by its address, with the name beside it.
    reported = {r.get('device') for r in records} | {r.get('name') for r in records}
    # A program that died part-way leaves devices unreported: nothing says they are fine.
    failed += ['%s: no report from voq-upgrade-cli' % address for address in addresses if address not in reported]
    return changed, failed


def version_diff(records, check_mode):
    """Ansible's diff of each device whose version changed, or would change in check mode."""
    diffs = []
    for r in records:
        before = r.get('version_before')
        if check_mode:
            after = r.get('version_target') if r.get('outcome') == 'outdated' else before
        else:
            after = r.get('version_after') if r.get('delivered') is True else before
        if before is None and after is None or before == after:
            continue
        header = r.get('device') or '(no device)'
        diffs.append(dict(before_header=header, after_header=header,
                          before='version: %s\n' % (before if before is not None else '(not read)'),
                          after='version: %s\n' % (after if after is not None else '(not read back)')))
    return diffs


def main():
    module = AnsibleModule(
        argument_spec=dict(
            devices=dict(type='list', elements='dict'),
            devices_file=dict(type='path'),
            cli=dict(type='str', default='voq-upgrade-cli'),
            local_address=dict(type='str'),
            parallel=dict(type='int', default=10),
            password=dict(type='str', no_log=True),
            extra_options=dict(type='list', elements='str', default=[]),
        ),
        supports_check_mode=True,
        required_one_of=[('devices', 'devices_file')],
        mutually_exclusive=[('devices', 'devices_file')],
    )
    p = module.params
    if p['devices_file']:
        try:
            with open(p['devices_file'], encoding='utf-8') as listed:
                p['devices'] = devices_from_file(listed.read())
        except (OSError, UnicodeError) as problem:
            module.fail_json(msg='devices_file %s: %s' % (p['devices_file'], problem))
    lines, problem = device_lines(p['devices'])
    if problem:
        module.fail_json(msg=problem)
    if not lines:
        module.exit_json(changed=False, devices=[], failed_devices=[], argv=[])

    handle, devices_file = tempfile.mkstemp(prefix='voq-devices-', suffix='.txt')
    try:
        with os.fdopen(handle, 'w') as written:
            written.write('\n'.join(lines) + '\n')
        argv = [p['cli'], '--devices', devices_file, '--parallel', str(p['parallel']), '--json',
                '--check' if module.check_mode else '--if-needed']
        if not module.check_mode:
            argv.append('--yes')
        if p['local_address']:
            argv += ['--local-address', p['local_address']]
        argv += p['extra_options']
        environment = {'VOQ_UPGRADE_PASSWORD': p['password']} if p['password'] else {}
        rc, stdout, stderr = module.run_command(argv, environ_update=environment)
    finally:
        os.unlink(devices_file)

    # In the inventory's order, not in the order the devices finished.
    order = {device.get('address'): number for number, device in enumerate(p['devices'])}
    records = sorted(read_records(stdout),
                     key=lambda r: order.get(r.get('name') or r.get('device'), len(order)))
    changed, failed = verdict(records, [device.get('address') for device in p['devices']], module.check_mode)
    result = dict(changed=changed, devices=records, failed_devices=failed, argv=argv, rc=rc)
    if module._diff:
        result['diff'] = version_diff(records, module.check_mode)
    if rc not in KNOWN_STATUSES:
        module.fail_json(msg='voq-upgrade-cli ended unexpectedly (exit status %d): %s' % (rc, stderr.strip()), **result)
    if not records:
        module.fail_json(msg='voq-upgrade-cli reported nothing (exit status %d): %s' % (rc, stderr.strip()), **result)
    if failed:
        module.fail_json(msg=('Not read: ' if module.check_mode else 'Not upgraded: ') + '; '.join(failed), **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
