// The Ansible example run as it is, each site's "PC" reached by a local connection,
// against simulated devices: one site with an outdated device and a current one,
// another with a device that is not there, which fails that site alone; that site's
// password in a vault and its devices in a devices file. Run in check mode, then for
// real, then again.

#include <cstdlib>

#include "cli_fixture.h"
#include "support/child_process.h"

namespace voq::test {
namespace {

using AnsibleExample = CliTest;

// The recap's line of a host, from the last recap in the output.
std::string recap_of(const std::string& output, const std::string& host)
{
    const std::size_t recap = output.rfind("PLAY RECAP");
    if (recap == std::string::npos) return "";
    const std::size_t start = output.find("\n" + host + " ", recap);
    if (start == std::string::npos) return "";
    return output.substr(start + 1, output.find('\n', start + 1) - start - 1);
}

TEST_F(AnsibleExample, ChecksThenUpgradesOnlyWhatIsOldThenChangesNothing)
{
    if (run_command("command -v ansible-playbook >/dev/null").status != 0) GTEST_SKIP() << "no ansible-playbook";
    const auto outdated = start_device();
    sim::DeviceConfig up_to_date = quick_device();
    up_to_date.web.identity.software_version = "2.0.13(g)";
    const auto current = start_device(up_to_date, 1);
    sim::DeviceConfig locked = quick_device();
    locked.web.digest.enabled = true;
    locked.web.digest.password = "site-b-secret";
    const LoopbackPair site_b = loopback_pair();
    const auto third = start_device_at(site_b.device, locked);
    const std::string a_pc = pc(), a_first = device_address(), a_second = device_address(1);
    const std::string b_pc = dotted(site_b.pc), b_first = dotted(site_b.device), b_nobody = dotted(site_b.device + 1);
    const std::string home = "/tmp/voq-cli-ansible-" + std::to_string(::getpid());
    const std::string vault_key = write_file("vault-key", "not-the-device-password\n");
    // The vaulted variable, indented as a host variable of site-b.
    const CommandResult vaulted =
        run_command("ANSIBLE_HOME=" + home + " ansible-vault encrypt_string --vault-password-file " + vault_key +
                    " site-b-secret --name voq_password 2>/dev/null | sed 's/^/      /'");
    ASSERT_EQ(vaulted.status, 0) << vaulted.output;

    // Site B's devices as --write-devices writes them.
    const std::string b_devices =
        write_file("site-b.txt", b_first + "  # VOQ-3300 2.0.12(SE)\n" + b_nobody + "  # VOQ-3300 2.0.12(SE)\n");
    // The program, the parallel count and the options come from the inventory alone:
    // the play must not override them.
    const std::string inventory =
        write_file("inventory.yml",
                   "voq_sites:\n"
                   "  hosts:\n"
                   "    site-a:\n"
                   "      voq_local_address: " +
                       a_pc +
                       "\n"
                       "      voq_parallel: 1\n"
                       "      voq_devices:\n"
                       "        - address: " +
                       a_first +
                       "\n"
                       "        - address: " +
                       a_second +
                       "\n"
                       "    site-b:\n"
                       "      voq_local_address: " +
                       b_pc + "\n" + vaulted.output + "\n" + "      voq_devices_file: " + b_devices +
                       "\n"
                       "  vars:\n"
                       "    ansible_connection: local\n"
                       "    ansible_python_interpreter: /usr/bin/python3\n"
                       "    voq_upgrade_cli: " VOQ_CLI
                       "\n"
                       "    voq_extra_options: ['--restart-wait', '1.5']\n");
    const auto play = [&](const std::string& more) {
        return run_command(
            "ANSIBLE_HOME=" + home + " ANSIBLE_LOCAL_TEMP=" + home +
            "/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_HOST_KEY_CHECKING=0 ansible-playbook -v --vault-password-file " +
            vault_key + " -i " + inventory + " " VOQ_ANSIBLE_PLAYBOOK " " + more + " 2>&1");
    };
    const auto upgrade_requests = [&] {
        return std::vector<std::size_t>{outdated->web().upgrade_requests().size(),
                                        current->web().upgrade_requests().size(),
                                        third->web().upgrade_requests().size()};
    };

    const CommandResult check = play("--check --diff");
    EXPECT_EQ(check.status, 2) << check.output;  // Ansible's status for a play with a failed host
    EXPECT_EQ(upgrade_requests(), (std::vector<std::size_t>{0, 0, 0})) << check.output;
    EXPECT_NE(check.output.find("\"--check\""), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("\"--parallel\", \"1\""), std::string::npos)
        << "the inventory's voq_parallel: " << check.output;
    EXPECT_NE(check.output.find(a_first + ": outdated 2.0.12(SE)"), std::string::npos) << check.output;
    EXPECT_NE(check.output.find(a_second + ": current 2.0.13(g)"), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("Not read: " + b_nobody + ": Upgrade Failed: No Response From VOQ"), std::string::npos)
        << check.output;
    EXPECT_NE(recap_of(check.output, "site-a").find("changed=1 "), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("-version: 2.0.12(SE)\n+version: 2.0.13(g)"), std::string::npos) << check.output;
    EXPECT_NE(recap_of(check.output, "site-a").find("failed=0 "), std::string::npos) << check.output;

    const CommandResult first = play("--diff -vvv");
    EXPECT_EQ(first.status, 2) << first.output;
    EXPECT_EQ(upgrade_requests(), (std::vector<std::size_t>{1, 0, 1})) << first.output;
    for (const auto* device : {outdated.get(), third.get()}) {
        const auto fetches = device->fetches();
        ASSERT_EQ(fetches.size(), 1u) << first.output;
        EXPECT_TRUE(fetches[0].bytes == target);
    }
    EXPECT_NE(first.output.find("\"--if-needed\""), std::string::npos) << first.output;
    EXPECT_NE(first.output.find(a_first + ": upgraded 2.0.13(g)"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find(a_second + ": current 2.0.13(g)"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find(b_first + ": upgraded 2.0.13(g)"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("Not upgraded: " + b_nobody + ": Upgrade Failed: No Response From VOQ"),
              std::string::npos)
        << first.output;
    EXPECT_NE(recap_of(first.output, "site-a").find("changed=1 "), std::string::npos) << first.output;
    EXPECT_NE(recap_of(first.output, "site-b").find("failed=1 "), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("-version: 2.0.12(SE)\n+version: 2.0.13(g)"), std::string::npos) << first.output;
    for (const auto* output : {&check.output, &first.output})
        EXPECT_EQ(output->find("site-b-secret"), std::string::npos) << "the password is never shown: " << *output;

    const CommandResult again = play("");
    EXPECT_EQ(again.status, 2) << again.output;
    EXPECT_EQ(upgrade_requests(), (std::vector<std::size_t>{1, 0, 1})) << "nothing restarted: " << again.output;
    EXPECT_NE(again.output.find(a_first + ": current 2.0.13(g)"), std::string::npos) << again.output;
    EXPECT_NE(recap_of(again.output, "site-a").find("changed=0 "), std::string::npos) << again.output;
    EXPECT_NE(recap_of(again.output, "site-a").find("failed=0 "), std::string::npos) << again.output;
    EXPECT_NE(recap_of(again.output, "site-b").find("changed=0 "), std::string::npos) << again.output;
    std::system(("rm -rf " + home).c_str());
}

}  // namespace
}  // namespace voq::test
