// The Ansible example run as it is, each site's "PC" reached by a local connection,
// against simulated devices: one site upgraded whole, another with a device that is
// not there, which fails that site alone.

#include <cstdlib>

#include "cli_fixture.h"
#include "support/child_process.h"

namespace voq::test {
namespace {

using AnsibleExample = CliTest;

TEST_F(AnsibleExample, UpgradesEachSiteFromItsOwnPc)
{
    if (run_command("command -v ansible-playbook >/dev/null").status != 0) GTEST_SKIP() << "no ansible-playbook";
    const auto first = start_device(237);
    const auto second = start_device(238);
    sim::DeviceConfig locked = quick_device();
    locked.web.digest.enabled = true;
    locked.web.digest.password = "site-b-secret";
    const auto third = start_device(239, locked);
    // 127.0.239.3: nobody there.

    const std::string inventory = write_file("inventory.yml",
        "voq_sites:\n"
        "  hosts:\n"
        "    site-a:\n"
        "      voq_local_address: 127.0.237.1\n"
        "      voq_devices:\n"
        "        - address: 127.0.237.2\n"
        "        - address: 127.0.238.2\n"
        "    site-b:\n"
        "      voq_local_address: 127.0.239.1\n"
        "      voq_password: site-b-secret\n"
        "      voq_devices:\n"
        "        - address: 127.0.239.2\n"
        "        - address: 127.0.239.3\n"
        "  vars:\n"
        "    ansible_connection: local\n"
        "    ansible_python_interpreter: /usr/bin/python3\n"
        "    voq_extra_options: ['--restart-wait', '1.5']\n");
    const std::string home = "/tmp/voq-cli-ansible-" + std::to_string(::getpid());
    const CommandResult run = run_command("ANSIBLE_HOME=" + home + " ANSIBLE_LOCAL_TEMP=" + home +
                                          "/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_HOST_KEY_CHECKING=0 ansible-playbook -i " +
                                          inventory + " " VOQ_ANSIBLE_PLAYBOOK " -e voq_upgrade_cli=" VOQ_CLI
                                          " -e voq_devices_file=" + home + "/{{inventory_hostname}}.txt 2>&1");
    std::system(("rm -rf " + home).c_str());

    // Ansible's status for a play with a failed host.
    EXPECT_EQ(run.status, 2) << run.output;
    for (const auto* device : {first.get(), second.get(), third.get()}) {
        const auto fetches = device->fetches();
        ASSERT_EQ(fetches.size(), 1u) << run.output;
        EXPECT_TRUE(fetches[0].bytes == target);
    }
    EXPECT_NE(run.output.find("127.0.239.2: upgraded 2.0.13(g)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Not upgraded (exit status 2): 127.0.239.3"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("site-a                     : ok=4"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("failed=1"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace voq::test
