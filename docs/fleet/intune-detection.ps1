# Detection of the configuration that the Win32 app (Intune) or the application's deployment type
# (Configuration Manager, a script detection method) installs: it counts as installed when
# /check with the branch's request finds the maps exactly as /configure writes them (exit 0).
# Set $request to the switches of the install command's /configure (without /header, whose file
# is not on the machine when the detection runs).
# Both tools take "installed" from exit code 0 with something on standard output; "not
# installed" from exit code 0 with nothing. When the program is not where the Windows Installer
# package puts it, standard error says so: Configuration Manager then reports the detection as
# failed, Intune as not detected.
$request = @('/branch:12', '/pos:1,2,4', '/back:9,10,12', '/posprinter:POS Receipt Printer',
             '/backprinter:Back Office Laser')

# The program where the Windows Installer package put it: the folder that the package records as
# InstallDir under HKLM\SOFTWARE\Kelvane\vorlasched, in the 32-bit view (WOW6432Node on 64-bit
# Windows), read alike from 64-bit and 32-bit PowerShell. $null when it is not installed.
function Find-Vorlasched {
    $hklm = [Microsoft.Win32.RegistryKey]::OpenBaseKey([Microsoft.Win32.RegistryHive]::LocalMachine,
                                                       [Microsoft.Win32.RegistryView]::Registry32)
    try {
        $key = $hklm.OpenSubKey('SOFTWARE\Kelvane\vorlasched')
        if ($null -eq $key) { return $null }
        try { $folder = $key.GetValue('InstallDir') } finally { $key.Dispose() }
    } finally { $hklm.Dispose() }
    if (-not ($folder -is [string]) -or $folder -eq '') { return $null }
    $program = Join-Path $folder 'vorlasched.com'
    if (Test-Path -LiteralPath $program -PathType Leaf) { return $program }
    return $null
}

# One argument as the program's command line takes it: quoted when it holds a blank or a quote,
# a quote inside written \", and backslashes before a quote or the end doubled.
function ConvertTo-Argument([string]$Text) {
    if ($Text -ne '' -and $Text -notmatch '[\s"]') { return $Text }
    '"' + (($Text -replace '(\\*)"', '$1$1\"') -replace '(\\+)$', '$1$1') + '"'
}

# Runs the program and reads its output as UTF-8 through the process's own pipes: no console is
# needed, nor its encoding set (where PowerShell has none, setting it throws). Both pipes are
# read at once, so neither fills up while the other waits.
function Invoke-Vorlasched([string]$Program, [string[]]$Arguments) {
    $start = New-Object System.Diagnostics.ProcessStartInfo
    $start.FileName = $Program
    $start.Arguments = (@($Arguments | ForEach-Object { ConvertTo-Argument $_ })) -join ' '
    $start.UseShellExecute = $false
    $start.CreateNoWindow = $true
    $start.RedirectStandardOutput = $true
    $start.RedirectStandardError = $true
    $start.StandardOutputEncoding = [System.Text.Encoding]::UTF8
    $start.StandardErrorEncoding = [System.Text.Encoding]::UTF8
    $process = [System.Diagnostics.Process]::Start($start)
    try {
        $errors = $process.StandardError.ReadToEndAsync()
        $output = $process.StandardOutput.ReadToEnd()
        $process.WaitForExit()
        [pscustomobject]@{ ExitCode = $process.ExitCode; Output = $output; Errors = $errors.Result }
    } finally {
        $process.Dispose()
    }
}

$program = Find-Vorlasched
if (-not $program) {
    [Console]::Error.WriteLine('vorlasched is not installed: ' +
                               'no InstallDir under HKLM\SOFTWARE\Kelvane\vorlasched (32-bit view)')
    exit 0
}
$run = Invoke-Vorlasched $program (@('/check') + $request)
if ($run.ExitCode -eq 0) {
    Write-Output 'Vorla is configured as requested'
}
exit 0
